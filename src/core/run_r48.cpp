// The "to R48-Mode" run: the R48-Mode screen written as ".r48".

#include "core/form.h"
#include "modes/conv_r48.h"
#include "zxfiles/layouts.h"

namespace dw {

// The file is written whole at the end, through a temporary file; the timed
// span is the plane copy and the converter, as when the file is opened
// before the clock starts.
void TForm1::btConvR48ModeClick()
{
    beginRun(false, gigaShown);
    const std::string name = outBase + ".r48";
    if (refuseRun({}, name)) return;
    const ModeSettings settings = modeSettings();
    startTimer();
    copyWorkToOrig();
    convR48Mode(conversion(settings));
    addTimeLine();
    showScreenPreview();
    imToTmp.picture = modelBitmap;
    writeOutput(name, r48File(scr1, rmExtra));
}

}  // namespace dw
