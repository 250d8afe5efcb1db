// The screen view's context menu, "Export for a Spectrum...": the same
// export as `dapplewright-cli export`, of the screen the view shows.

#include <QGuiApplication>
#include <QFileDialog>
#include <QMenu>

#include <algorithm>

#include "core/mode_table.h"
#include "core/output_file.h"
#include "export/export_file.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "zxfiles/layouts.h"
#include "zxfiles/screen_kind.h"

namespace dw::ui {

namespace {

constexpr const char* exportFilter =
    "tape (*.tap);;snapshot (*.z80);;assembler include (*.asm);;C array (*.h)";

}  // namespace

void MainWindow::noteShownScreen(void (TForm1::*handler)())
{
    const auto& modes = modeTable();
    const bool run = std::any_of(modes.begin(), modes.end(), [&](const Mode& mode) { return mode.run == handler; });
    if (run) pair_ = handler == &TForm1::btConvGigaClick  ? PairDrawing::standard
                     : handler == &TForm1::btConvMCXClick ? PairDrawing::multicolor
                                                          : PairDrawing::none;
    if (handler == &TForm1::btConv6912Click) shown_ = ShownScreen{Display::standard, false};
    if (handler == &TForm1::btConvGigaClick) shown_ = ShownScreen{Display::gigascreen, false};
    if (handler == &TForm1::btConvMCClick) shown_ = ShownScreen{Display::hiColour, false};
    for (auto other : {&TForm1::btConvMCXClick, &TForm1::btConv8colClick, &TForm1::btConvRModeClick,
                       &TForm1::btConvR48ModeClick})
        if (handler == other) shown_.reset();
    if (handler == &TForm1::ImLoadClick) noteLoadedScreen();
}

// A load that was cancelled, or a drop that opened a picture, leaves the view
// and the file it shows as they were.
void MainWindow::noteLoadedScreen()
{
    if (form_.loadedScreen.empty()) return;
    pair_ = PairDrawing::none;
    switch (screenKindOf(form_.loadedScreen)) {
    case ScreenKind::scr: shown_ = ShownScreen{Display::standard, true}; break;
    case ScreenKind::img:
    case ScreenKind::emg:
        shown_ = ShownScreen{Display::gigascreen, true};
        pair_ = PairDrawing::standard;
        break;
    case ScreenKind::mc: shown_ = ShownScreen{Display::hiColour, true}; break;
    case ScreenKind::mcx:
        shown_.reset();
        pair_ = PairDrawing::multicolor;
        break;
    case ScreenKind::none: shown_.reset(); break;
    }
}

// The right button belongs to the brush while it is on; the keyboard's
// menu key opens the menu then.
void MainWindow::buildExportMenu(PictureView* screenView)
{
    screenView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(screenView, &QWidget::customContextMenuRequested, this, [this, screenView](const QPoint& at) {
        if (form_.retouchOn && QGuiApplication::mouseButtons() != Qt::NoButton) return;
        QMenu menu;
        QAction* zoom = menu.addAction("Zoom");
        QAction* preview = menu.addAction("Save preview as PNG...");
        QAction* action = menu.addAction("Export for a Spectrum...");
        action->setEnabled(canExport());
        QAction* chosen = menu.exec(screenView->mapToGlobal(at));
        if (chosen == zoom) openZoom();
        if (chosen == preview) {
            const QString name = QFileDialog::getSaveFileName(this, "Save preview as PNG", QString(), "PNG picture (*.png)");
            if (!name.isEmpty()) savePreview(name.toStdString());
        }
        if (chosen != action) return;
        const QString name = QFileDialog::getSaveFileName(this, "Export for a Spectrum", QString(), exportFilter);
        if (!name.isEmpty()) exportShownScreen(name.toStdString());
    });
}

Status MainWindow::writeShownScreen(const std::string& name) const
{
    const std::optional<ExportTarget> target = exportTargetOf(name);
    if (!target) return Failure{name + ": not a name to export to (extension tap, z80, asm or h)"};
    if (!shown_) return Failure{"the screen view shows nothing a Spectrum shows"};
    std::vector<uint8_t> bytes;
    switch (shown_->display) {
    case Display::standard: bytes = scrFile(form_.scr1); break;
    case Display::gigascreen: bytes = imgFile(form_.scr1, form_.scr2); break;
    case Display::hiColour:
        bytes = shown_->loaded ? std::vector<uint8_t>(form_.scr1.begin(), form_.scr1.begin() + mcFileSize)
                               : mcFile(form_.scr1, form_.scr2);
        break;
    }
    // The tape names the screen after its file: the one loaded, or the one the run wrote beside the picture.
    const ExportScreen screen{shown_->loaded ? form_.loadedScreen : form_.outBase, std::move(bytes), shown_->display};
    const Result<std::vector<uint8_t>> exported = exportFile(*target, {&screen, 1}, name);
    if (!exported) return Failure{exported.error()};
    if (Status written = writeFileAtomically(name, *exported); !written)
        return Failure{"cannot write " + name + ": " + written.error()};
    return {};
}

bool MainWindow::exportShownScreen(const std::string& name)
{
    const Status exported = writeShownScreen(name);
    if (!exported) form_.addMemoLine(exported.error());
    refreshFromCore();
    return exported.ok();
}

}  // namespace dw::ui
