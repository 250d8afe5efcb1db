// The "live" check box: while it is on, every change of a setting converts
// again with the mode of the last "to ..." button, off the window's thread,
// and the views show the result as that button would, without a file or a
// memo line. The window never waits for it; a newer change supersedes it.

#include <QCheckBox>
#include <algorithm>

#include "core/mode_table.h"
#include "ui/fitted_font.h"
#include "ui/live_runner.h"
#include "ui/main_window.h"
#include "zxfiles/screen_kind.h"

namespace dw::ui {

// Right of "to 8col", where no other control is.
void MainWindow::buildLiveBox()
{
    liveRunner_ = std::make_unique<LiveRunner>([this](const LiveResult& result) { takeLiveResult(result); });
    liveBox_ = new QCheckBox("live", this);
    liveBox_->setObjectName("cbLive");
    liveBox_->setGeometry(352, 440, 57, 17);
    liveBox_->setFont(fittedFont(font(), {"live"}, checkBoxTextRoom(liveBox_)));
    connect(liveBox_, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            reconvertLive();
        else
            liveRunner_->cancel();
        refreshFromCore();
    });
}

void MainWindow::reconvertLive()
{
    if (!liveBox_->isChecked() || !liveMode_) return;
    if (std::unique_ptr<LiveInput> input = form_.liveInput(*liveMode_))
        liveRunner_->start(std::move(input));
    else
        liveRunner_->cancel();
}

// A run or a load shows its own screen; a live result still under way would
// replace it. Opening a picture or choosing a palette is a change like any.
void MainWindow::noteLiveEffect(void (TForm1::*handler)())
{
    const std::vector<Mode>& modes = modeTable();
    const auto mode = std::find_if(modes.begin(), modes.end(), [&](const Mode& m) { return m.run == handler; });
    if (mode != modes.end()) liveMode_ = &*mode;
    if (mode != modes.end() || (handler == &TForm1::ImLoadClick && !form_.loadedScreen.empty()))
        liveRunner_->cancel();
    if (handler == &TForm1::btOpenClick || handler == &TForm1::Button2Click) reconvertLive();
}

void MainWindow::noteLiveDrop(const std::string& name)
{
    if (screenKindOf(name) != ScreenKind::none)
        liveRunner_->cancel();
    else
        reconvertLive();
}

void MainWindow::takeLiveResult(const LiveResult& result)
{
    form_.showLiveResult(result);
    noteShownScreen(result.mode->run);
    refreshFromCore();
}

}  // namespace dw::ui
