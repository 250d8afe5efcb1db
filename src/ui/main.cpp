// The window program. An optional argument names a picture that opens at
// start, as if chosen in the picture dialog.

#include <QApplication>
#include <QStringList>

#include "core/platform.h"
#include "ui/main_window.h"
#include "ui/qt_file_dialogs.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Dapplewright");

    dw::SteadyClock clock;
    dw::ui::QtFileDialogs dialogs;
    dw::ui::MainWindow window(dialogs, clock);
    dialogs.setParent(&window);
    window.show();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.openFile(arguments[1]);
    return QApplication::exec();
}
