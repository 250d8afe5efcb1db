// The frame every conversion run shares: fresh preparation, flags, timing,
// the reference copy of the planes, the memo time line, the screen preview
// and the output file.

#include "core/form.h"
#include "core/number_text.h"
#include "core/output_file.h"

namespace dw {

// A run that leaves gigaShown as it is passes its current value.
void TForm1::beginRun(bool retouch, bool giga)
{
    edBrightnessChange();
    btSaveDraw.enabled = false;
    retouchOn = retouch;
    gigaShown = giga;
}

void TForm1::startTimer() { runStart_ = clock_.seconds(); }

void TForm1::copyWorkToOrig()
{
    origB.copyFrom(workB);
    origG.copyFrom(workG);
    origR.copyFrom(workR);
}

// Measured on a monotonic clock, so a run across midnight is not negative.
void TForm1::addTimeLine()
{
    const double elapsed = clock_.seconds() - runStart_;
    timeText = cutName(formatGeneral(elapsed) + " sec");
    addMemoLine(timeText);
}

void TForm1::showScreenPreview() { imTo.picture = zxBitmap; }

bool TForm1::writeOutput(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string reason = writeFileAtomically(name, bytes);
    writtenFiles.push_back({name, bytes.size(), reason});
    if (!reason.empty()) addMemoLine("cannot write " + name + ": " + reason);
    return reason.empty();
}

}  // namespace dw
