// The "to MCX!!!" run: the two multicolor screens written as ".mcx".

#include "core/form.h"
#include "modes/conv_mcx.h"
#include "zxfiles/layouts.h"

namespace dw {

// Written whole at the end, as the multicolor run does: the timed span is
// the plane copy and the converter.
void TForm1::btConvMCXClick()
{
    beginRun(false, gigaShown);
    const std::string name = outBase + ".mcx";
    if (refuseRun({"tablo.dat"}, name)) return;
    const ModeSettings settings = modeSettings();
    startTimer();
    copyWorkToOrig();
    convMCX(conversion(settings));
    addTimeLine();
    showScreenPreview();
    writeOutput(name, mcxFile(scr1, scr2));
}

}  // namespace dw
