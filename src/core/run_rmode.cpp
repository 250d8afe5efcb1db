// The "to R-Mode" run: the R-Mode screen written as ".rm", and the two grey
// layer previews saved as "layer1.bmp" and "layer2.bmp" in the working folder.

#include "core/form.h"
#include "modes/conv_rmode.h"
#include "readers/bmp_writer.h"
#include "zxfiles/layouts.h"

namespace dw {

// The files are written whole at the end, each through a temporary file; the
// timed span is the plane copy and the converter, as when the screen file is
// opened before the clock starts.
void TForm1::btConvRModeClick()
{
    beginRun(false, gigaShown);
    const std::string name = outBase + ".rm";
    if (refuseRun({}, name)) return;
    const ModeSettings settings = modeSettings();
    startTimer();
    copyWorkToOrig();
    convRMode(conversion(settings));
    addTimeLine();
    showScreenPreview();
    imToTmp.picture = modelBitmap;
    ImToTmpGrey.picture = layer1Bitmap;
    ImToTmpGrey2.picture = layer2Bitmap;
    writeOutput("layer1.bmp", encodeBmp24(ImToTmpGrey.picture), FileRole::side);
    writeOutput("layer2.bmp", encodeBmp24(ImToTmpGrey2.picture), FileRole::side);
    writeOutput(name, rModeFile(scr1, scr2, rmExtra));
}

}  // namespace dw
