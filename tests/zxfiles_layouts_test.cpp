// Spectrum file layouts: sizes, headers, where each buffer's bytes land, and
// readers that stop where the file ends or where their area ends.

#include <gtest/gtest.h>

#include "zxfiles/layouts.h"

namespace dw {
namespace {

// Every byte tells where it came from: its offset and which buffer.
ScreenBuffer numbered(uint8_t salt)
{
    ScreenBuffer scr{};
    for (size_t i = 0; i < scr.size(); ++i) scr[i] = static_cast<uint8_t>(i * 7 + salt + i / 256);
    return scr;
}

ExtraBlocks numberedExtra()
{
    ExtraBlocks extra{};
    for (size_t k = 0; k < extra.size(); ++k)
        for (size_t i = 0; i < extra[k].size(); ++i) extra[k][i] = static_cast<uint8_t>(i * 3 + 50 * k + i / 256);
    return extra;
}

// Checks that file[at .. at+count) equals source[from .. from+count).
template <typename Source>
void expectRegion(const std::vector<uint8_t>& file, size_t at, const Source& source, size_t from, size_t count)
{
    ASSERT_LE(at + count, file.size());
    for (size_t i = 0; i < count; ++i)
        ASSERT_EQ(file[at + i], source[from + i]) << "file byte " << at + i << " from source byte " << from + i;
}

TEST(ZxLine, PixelRowsLandInSpectrumOrder)
{
    EXPECT_EQ(standardPixelOffset(0, 1), 256);
    EXPECT_EQ(standardPixelOffset(0, 8), 32);
    EXPECT_EQ(standardPixelOffset(9, 64), 2048 + 1);
    EXPECT_EQ(standardPixelOffset(0, 191), 6144 - 32);
    EXPECT_EQ(standardAttrOffset(255, 191), 6144 + 767);
}

TEST(Writers, EveryFileHasItsExactSize)
{
    const ScreenBuffer a = numbered(1), b = numbered(2);
    const ExtraBlocks extra = numberedExtra();
    EmgImage emg{};
    EXPECT_EQ(scrFile(a).size(), 6912u);
    EXPECT_EQ(chrsFile(a).size(), 6919u);
    EXPECT_EQ(imgFile(a, b).size(), 13824u);
    EXPECT_EQ(gigaChrsFile(a, b).size(), 13831u);
    EXPECT_EQ(emgFile(emg).size(), 7680u);
    EXPECT_EQ(mcFile(a, b).size(), 12288u);
    EXPECT_EQ(mcxFile(a, b).size(), 24576u);
    EXPECT_EQ(eightColourFile(a, b).size(), 18432u);
    EXPECT_EQ(rModeFile(a, b, extra).size(), 15360u);
    EXPECT_EQ(r48File(a, extra).size(), 12288u);
}

TEST(Writers, PlainLayoutsTakeTheRightBytesOfEachBuffer)
{
    const ScreenBuffer a = numbered(1), b = numbered(2);
    const ExtraBlocks extra = numberedExtra();

    expectRegion(scrFile(a), 0, a, 0, 6912);

    const auto img = imgFile(a, b);
    expectRegion(img, 0, a, 0, 6912);
    expectRegion(img, 6912, b, 0, 6912);

    // The multicolor converter keeps its attributes at the start of scr2.
    const auto mc = mcFile(a, b);
    expectRegion(mc, 0, a, 0, 6144);
    expectRegion(mc, 6144, b, 0, 6144);

    const auto mcx = mcxFile(a, b);
    expectRegion(mcx, 0, a, 0, 12288);
    expectRegion(mcx, 12288, b, 0, 12288);

    const auto three = eightColourFile(a, b);
    expectRegion(three, 0, a, 0, 12288);
    expectRegion(three, 12288, b, 0, 6144);

    const auto rm = rModeFile(a, b, extra);
    expectRegion(rm, 0, a, 0, 6144);
    expectRegion(rm, 6144, b, 0, 6144);
    for (size_t k = 0; k < 4; ++k) expectRegion(rm, 12288 + 768 * k, extra[k], 0, 768);

    const auto r48 = r48File(a, extra);
    expectRegion(r48, 0, a, 0, 6144);
    expectRegion(r48, 6144, extra[0], 0, 6144);
}

TEST(Writers, StandardCharacterFileHasHeaderAndCellsTopToBottom)
{
    ScreenBuffer scr{};
    scr[0] = 0x11;     // row 0 of cell (0, 0)
    scr[256] = 0xAA;   // row 1
    scr[1792] = 0x77;  // row 7
    scr[32] = 0x55;    // row 8: first row of cell (1, 0)
    scr[6144] = 71;
    scr[6144 + 32] = 56;
    scr[31 + 32 * zxline(191)] = 0xEE;  // bottom row of the last cell
    scr[6144 + 767] = 0x42;

    const auto file = chrsFile(scr);
    const std::vector<uint8_t> header(file.begin(), file.begin() + 7);
    EXPECT_EQ(header, (std::vector<uint8_t>{'c', 'h', 'r', '$', 32, 24, 9}));
    const std::vector<uint8_t> firstCell(file.begin() + 7, file.begin() + 16);
    EXPECT_EQ(firstCell, (std::vector<uint8_t>{0x11, 0xAA, 0, 0, 0, 0, 0, 0x77, 71}));
    EXPECT_EQ(file[7 + 32 * 9], 0x55);
    EXPECT_EQ(file[7 + 32 * 9 + 8], 56);
    EXPECT_EQ(file[6919 - 2], 0xEE);
    EXPECT_EQ(file[6919 - 1], 0x42);
}

TEST(Writers, GigascreenCharacterFileInterleavesTheTwoScreensPerCell)
{
    const ScreenBuffer a = numbered(1), b = numbered(2);
    const auto file = gigaChrsFile(a, b);
    EXPECT_EQ(file[6], 12);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 6), (std::vector<uint8_t>{'c', 'h', 'r', '$', 32, 24}));
    // Cell (row 2, column 5) is cell 69: 18 bytes at 7 + 69 * 18.
    const size_t cell = 7 + 69 * 18;
    for (int line = 0; line < 8; ++line) {
        EXPECT_EQ(file[cell + line], a[standardPixelOffset(40, 16 + line)]);
        EXPECT_EQ(file[cell + 9 + line], b[standardPixelOffset(40, 16 + line)]);
    }
    EXPECT_EQ(file[cell + 8], a[6144 + 69]);
    EXPECT_EQ(file[cell + 17], b[6144 + 69]);
}

TEST(Readers, ShortFilesFillOnlyWhatTheyHold)
{
    ScreenBuffer scr1, scr2;
    scr1.fill(0xCC);
    scr2.fill(0xDD);
    const std::vector<uint8_t> file(100, 1);

    readScr(file, scr1);
    EXPECT_EQ(scr1[99], 1);
    EXPECT_EQ(scr1[100], 0xCC);

    readImg(std::vector<uint8_t>(7000, 2), scr1, scr2);
    EXPECT_EQ(scr1[6911], 2);
    EXPECT_EQ(scr1[6912], 0xCC);  // an image never touches bytes past 6911
    EXPECT_EQ(scr2[87], 2);
    EXPECT_EQ(scr2[88], 0xDD);

    readScr({}, scr1);
    EXPECT_EQ(scr1[0], 2);
}

TEST(Readers, McOf12288BytesFillsExactlyScreenOne)
{
    ScreenBuffer scr1, scr2;
    scr1.fill(0xCC);
    scr2.fill(0xDD);
    readMc(std::vector<uint8_t>(12288, 3), scr1, scr2);
    for (uint8_t v : scr1) ASSERT_EQ(v, 3);
    for (uint8_t v : scr2) ASSERT_EQ(v, 0xDD);

    // Longer: at most 1536 further bytes reach the start of scr2.
    readMc(std::vector<uint8_t>(20000, 4), scr1, scr2);
    EXPECT_EQ(scr2[1535], 4);
    EXPECT_EQ(scr2[1536], 0xDD);
}

TEST(Readers, LongFilesStopAtTheirAreasAndRoundTripTheWriters)
{
    const ScreenBuffer a = numbered(1), b = numbered(2);
    ScreenBuffer scr1{}, scr2{};
    std::vector<uint8_t> mcx = mcxFile(a, b);
    mcx.resize(30000, 0xFF);
    readMcx(mcx, scr1, scr2);
    EXPECT_EQ(scr1, a);
    EXPECT_EQ(scr2, b);

    ScreenBuffer img1{}, img2{};
    readImg(imgFile(a, b), img1, img2);
    expectRegion(scrFile(img1), 0, a, 0, 6912);
    expectRegion(scrFile(img2), 0, b, 0, 6912);
    EXPECT_EQ(img1[6912], 0);

    EmgImage emg{};
    std::vector<uint8_t> bytes(8000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    readEmg(bytes, emg);
    expectRegion(emgFile(emg), 0, bytes, 0, 7680);
}

}  // namespace
}  // namespace dw
