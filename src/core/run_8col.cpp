// The "to 8col" run: three colour planes written as ".3". This run copies
// no planes, and its timing covers the converter, the preview and the
// writing of the file; the time line comes last.

#include "core/form.h"
#include "modes/conv_8col.h"
#include "zxfiles/layouts.h"

namespace dw {

void TForm1::btConv8colClick()
{
    beginRun(false, false);
    const std::string name = outBase + ".3";
    if (refuseRun({}, name)) return;
    const ModeSettings settings = modeSettings();
    startTimer();
    conv8col(conversion(settings));
    showScreenPreview();
    writeOutput(name, eightColourFile(scr1, scr2));
    addTimeLine();
}

}  // namespace dw
