// Live conversion: a run's preparation and converter with the previews as
// the run shows them, but no file, no memo line and no timing.

#include "core/live_run.h"

#include <algorithm>
#include <memory>

#include "core/form.h"
#include "core/mode_table.h"
#include "modes/conv6912.h"

namespace dw {

std::unique_ptr<LiveInput> TForm1::liveInput(const Mode& mode)
{
    edBrightnessChange();
    for (const char* table : mode.tables)
        if (std::find(unreadTables.begin(), unreadTables.end(), table) != unreadTables.end()) return nullptr;
    if (!picName.empty() && srcBitmap.empty()) return nullptr;
    auto input = std::make_unique<LiveInput>();
    input->mode = &mode;
    input->settings = modeSettings();
    input->picture.workB.copyFrom(workB);
    input->picture.workG.copyFrom(workG);
    input->picture.workR.copyFrom(workR);
    input->picture.origB.copyFrom(workB);
    input->picture.origG.copyFrom(workG);
    input->picture.origR.copyFrom(workR);
    input->palette = mode.defaultPalette ? Palette{} : palette();
    input->tables = tables();
    input->screen = screen();
    return input;
}

LiveResult convertLive(LiveInput& input)
{
    ScreenState& screen = input.screen;
    input.mode->convert({input.picture, input.settings, input.palette, input.tables, screen, input.scratch});
    // The standard run shows a pair of equal screens.
    if (input.mode->convert == conv6912) screen.scr2 = screen.scr1;
    LiveResult result{input.mode, {}, screen.scr1, screen.scr2};
    for (const ModePreview& preview : input.mode->previews) result.previews.push_back(screen.*preview.shows);
    return result;
}

void TForm1::showLiveResult(const LiveResult& result)
{
    for (size_t i = 0; i < result.previews.size(); ++i)
        (this->*result.mode->previews[i].picture).picture = result.previews[i];
    scr1 = result.scr1;
    scr2 = result.scr2;
    loadedScreen.clear();
    btSaveDraw.enabled = false;
    retouchOn = false;
}

}  // namespace dw
