// The "to 6912" run: the standard screen, written as ".scr" or ".ch$", then
// turned into a pair of equal screens for the brush.

#include "core/form.h"
#include "modes/conv6912.h"
#include "zxfiles/layouts.h"

namespace dw {

void TForm1::btConv6912Click()
{
    beginRun(true, false);
    const std::string name = outBase + (cbCHRS.checked ? ".ch$" : ".scr");
    if (refuseRun({}, name)) return;
    const ModeSettings settings = modeSettings();
    dithOn = retouchOn = settings.floyd;
    projectOn = settings.projecting;
    startTimer();
    copyWorkToOrig();
    conv6912(conversion(settings));
    addTimeLine();
    showScreenPreview();

    writeOutput(name, cbCHRS.checked ? chrsFile(scr1) : scrFile(scr1));

    chunkLevel2.copyFrom(chunkLevel1);
    scr2 = scr1;
    scr1Conv = scr1;
    scr2Conv = scr2;
}

}  // namespace dw
