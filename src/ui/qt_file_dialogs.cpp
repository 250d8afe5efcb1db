#include "ui/qt_file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace dw::ui {

QString qtFilter(const QString& windowFilter)
{
    const QStringList parts = windowFilter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == "*.*") pattern = "*";
        entries << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return entries.join(";;");
}

std::optional<std::string> QtFileDialogs::open(const char* filter, const std::string& initialDir, bool showHidden)
{
    QFileDialog dialog(parent_, "Open", QString::fromStdString(initialDir), qtFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (showHidden) dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> QtFileDialogs::choosePicture(const std::string& initialDir)
{
    return open(pictureFilter, initialDir, true);
}

std::optional<std::string> QtFileDialogs::chooseScreen(const std::string& initialDir)
{
    return open(screenFilter, initialDir, false);
}

std::optional<std::string> QtFileDialogs::choosePalette(const std::string& initialDir)
{
    return open(paletteFilter, initialDir, false);
}

}  // namespace dw::ui
