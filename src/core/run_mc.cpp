// The "to MultiColor" run: the multicolor screen written as ".mc".

#include "core/form.h"
#include "modes/conv_mc.h"
#include "zxfiles/layouts.h"

namespace dw {

// The file is written whole at the end, through a temporary file, rather than
// opened before the clock starts: the timed span is the same (plane copy and
// converter), and an earlier file of that name stays intact until the new
// one replaces it.
void TForm1::btConvMCClick()
{
    beginRun(false, gigaShown);
    const std::string name = outBase + ".mc";
    if (refuseRun({}, name)) return;
    const ModeSettings settings = modeSettings();
    projectOn = settings.projecting;
    startTimer();
    copyWorkToOrig();
    convMC(conversion(settings));
    addTimeLine();
    showScreenPreview();
    writeOutput(name, mcFile(scr1, scr2));
}

}  // namespace dw
