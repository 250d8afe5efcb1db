// The frame every conversion run shares: fresh preparation, flags, timing,
// the reference copy of the planes, the memo time line, the screen preview
// and the output file.

#include <algorithm>
#include <filesystem>

#include "core/form.h"
#include "core/number_text.h"

namespace dw {

// A run that leaves gigaShown as it is passes its current value.
void TForm1::beginRun(bool retouch, bool giga)
{
    edBrightnessChange();
    loadedScreen.clear();
    btSaveDraw.enabled = false;
    retouchOn = retouch;
    gigaShown = giga;
}

bool TForm1::refuseRun(std::initializer_list<const char*> tablesNeeded, const std::string& outputName)
{
    refusal.clear();
    for (const char* table : tablesNeeded)
        if (refusal.empty() && std::find(unreadTables.begin(), unreadTables.end(), table) != unreadTables.end())
            refusal = std::string(table) + " could not be read";
    std::error_code ignored;
    // A picture of unknown kind decodes to nothing without an error.
    if (refusal.empty() && !picName.empty() && srcBitmap.empty())
        refusal = "the picture could not be read";
    else if (refusal.empty() && picName.empty() && std::filesystem::exists(inWorkFolder(outputName), ignored))
        refusal = "no picture is open and " + outputName + " exists";
    if (refusal.empty()) return false;
    retouchOn = false;
    addMemoLine("nothing written: " + refusal);
    return true;
}

ModeSettings TForm1::modeSettings() const
{
    ModeSettings s;
    s.floyd = cbDith.checked;
    s.projecting = cbProjecting.checked;
    s.centering = cbMCFilter.checked;
    s.brightOnly = brightOnly;
    s.limitMC = cbLimitMC.checked;
    s.evenMC = cbEvenMC.checked;
    s.brightGrey = cbBrightGrey.checked;
    s.rModeNoise = cbRModeNoise.checked;
    s.chunkMask = chunkMask;
    s.dithLo = dithLo;
    s.dithHi = dithHi;
    s.mcLevel = mcLevel;
    s.kcolerr = kcolerr;
    return s;
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

void TForm1::writeOutput(const std::string& name, const std::vector<uint8_t>& bytes, FileRole role)
{
    Status written = output_.write(inWorkFolder(name), role, bytes);
    if (!written) addMemoLine("cannot write " + name + ": " + written.error());
    writtenFiles.push_back({inWorkFolder(name), bytes.size(), std::move(written)});
}

}  // namespace dw
