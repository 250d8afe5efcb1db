// Start-up and the dithering level: what the window does once when it is
// made, and how the dithering band follows its edit.

#include <cmath>

#include "colour/mix_table.h"
#include "colour/palette.h"
#include "core/form.h"
#include "core/number_text.h"
#include "core/table_files.h"

namespace dw {

namespace {

// For each pair of colours c and d, the index of the last mix equal to their
// sum, or -1 when none is (every pair of default colours has one).
using PairMixes = std::array<std::array<int, 16>, 16>;

PairMixes pairMixes(const TForm1& f)
{
    PairMixes mixes;
    for (int c = 0; c < 16; ++c)
        for (int d = 0; d < 16; ++d) {
            const int r = f.palR[c] + f.palR[d], g = f.palG[c] + f.palG[d], b = f.palB[c] + f.palB[d];
            mixes[c][d] = -1;
            for (int i = 0; i < mixCount; ++i)
                if (mixTable[i].r == r && mixTable[i].g == g && mixTable[i].b == b) mixes[c][d] = i;
        }
    return mixes;
}

// The mix of colours c and d, or `previous` when no mix matches.
uint8_t mixIndex(const PairMixes& mixes, int c, int d, uint8_t previous)
{
    return mixes[c][d] < 0 ? previous : static_cast<uint8_t>(mixes[c][d]);
}

void deriveMixIndices(const PairMixes& mixes, std::array<uint8_t, 8>& entry)
{
    // Records hold colour numbers 0..15; a damaged file's other values are
    // folded into range so no converter indexes past the palettes.
    for (int k = 0; k < 4; ++k) entry[k] &= 15;
    const int paper1 = entry[0], ink1 = entry[1], paper2 = entry[2], ink2 = entry[3];
    entry[4] = mixIndex(mixes, paper1, paper2, entry[4]);
    entry[5] = mixIndex(mixes, ink1, paper2, entry[5]);
    entry[6] = mixIndex(mixes, paper1, ink2, entry[6]);
    entry[7] = mixIndex(mixes, ink1, ink2, entry[7]);
}

}  // namespace

void TForm1::FormCreate()
{
    retouchOn = false;
    cropHeight = cropWidth = cropX = cropY = 0;

    palB = defaultPalB;
    palG = defaultPalG;
    palR = defaultPalR;

    loadedName = std::string(1, '&');  // matches no file name, so the first preparation decodes
    picName.clear();
    outBase = "noname";
    palName.clear();

    for (Bitmap* b : {&zxBitmap, &modelBitmap, &layer1Bitmap, &layer2Bitmap}) b->resize(screenWidth, screenHeight);
    imTo.picture.resize(zxBitmap.width(), zxBitmap.height());

    prepareUnlessHeld();
    edDithLevelChange();

    unreadTables.clear();
    readStartupTable("code256.dat", codeTab);
    std::array<uint8_t, 512> deco{};
    readStartupTable("deco256.dat", deco);
    std::copy(deco.begin(), deco.begin() + 256, decoTab[0].begin());
    std::copy(deco.begin() + 256, deco.end(), decoTab[1].begin());

    std::array<uint8_t, gigaTabSize * 4> records{};
    readStartupTable("tablo.dat", records);
    const PairMixes mixes = pairMixes(*this);
    for (int i = 0; i < gigaTabSize; ++i) {
        std::copy_n(records.begin() + 4 * i, 4, gigaTab[i].begin());
        deriveMixIndices(mixes, gigaTab[i]);
    }
}

// A table that is missing or short is named in the memo; the runs that need
// it refuse to write (see refuseRun).
void TForm1::readStartupTable(const std::string& fileName, std::span<uint8_t> table)
{
    std::vector<std::string> folders = {workFolder.empty() ? std::string(".") : workFolder};
    folders.insert(folders.end(), tableFolders.begin(), tableFolders.end());
    const Status read = readTable(fileName, folders, table);
    if (read) return;
    unreadTables.push_back(fileName);
    addMemoLine("cannot read " + fileName + ": " + read.error());
}

void TForm1::edDithLevelChange()
{
    parseInto(edDithLevel.text, dithLevel);
    if (dithLevel > 1) dithLevel = 1.0;
    if (dithLevel < 0) dithLevel = 0.0;
    dithLo = static_cast<uint8_t>(std::trunc(128 - 128 * static_cast<long double>(dithLevel)));
    dithHi = static_cast<uint8_t>(std::trunc(128 * static_cast<long double>(dithLevel) + 127));
}

}  // namespace dw
