// Spectrum file layouts: sizes, headers, where each buffer's bytes land, and
// readers that stop where the file ends or where their area ends.

#include <gtest/gtest.h>

#include <span>

#include "zxfiles/layouts.h"

namespace dw {
namespace {

using Bytes = std::vector<uint8_t>;

// Every byte tells where it came from: its offset and which buffer.
template <typename Buffer>
Buffer numbered(int salt)
{
    Buffer buffer{};
    for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 7 + salt + i / 256);
    return buffer;
}

const ScreenBuffer a = numbered<ScreenBuffer>(1), b = numbered<ScreenBuffer>(2);

Bytes join(std::initializer_list<std::span<const uint8_t>> pieces)
{
    Bytes out;
    for (auto piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::span<const uint8_t> first(const auto& buffer, size_t count) { return {buffer.data(), count}; }

TEST(ZxLine, PixelRowsLandInSpectrumOrder)
{
    EXPECT_EQ(standardPixelOffset(0, 1), 256);
    EXPECT_EQ(standardPixelOffset(0, 8), 32);
    EXPECT_EQ(standardPixelOffset(9, 64), 2048 + 1);
    EXPECT_EQ(standardPixelOffset(0, 191), 6144 - 32);
    EXPECT_EQ(standardAttrOffset(255, 191), 6144 + 767);
}

// The exact size of each layout follows from the pieces it joins.
TEST(Writers, PlainLayoutsJoinTheRightBytesOfEachBuffer)
{
    ExtraBlocks x{};
    for (size_t k = 0; k < x.size(); ++k) x[k] = numbered<ExtraBlocks::value_type>(50 * static_cast<int>(k) + 3);
    const struct {
        const char* name;
        Bytes file, expected;
    } layouts[] = {
        {"scr", scrFile(a), join({first(a, 6912)})},
        {"img", imgFile(a, b), join({first(a, 6912), first(b, 6912)})},
        // The multicolor converter keeps its attributes at the start of scr2.
        {"mc", mcFile(a, b), join({first(a, 6144), first(b, 6144)})},
        {"mcx", mcxFile(a, b), join({first(a, 12288), first(b, 12288)})},
        {"3", eightColourFile(a, b), join({first(a, 12288), first(b, 6144)})},
        {"rm", rModeFile(a, b, x),
         join({first(a, 6144), first(b, 6144), first(x[0], 768), first(x[1], 768), first(x[2], 768), first(x[3], 768)})},
        {"r48", r48File(a, x), join({first(a, 6144), first(x[0], 6144)})},
    };
    for (const auto& layout : layouts) {
        EXPECT_EQ(layout.file.size(), layout.expected.size()) << layout.name;
        EXPECT_TRUE(layout.file == layout.expected) << layout.name;
    }
    EXPECT_EQ(emgFile(EmgImage{}).size(), 7680u);
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

    const Bytes file = chrsFile(scr);
    ASSERT_EQ(file.size(), 6919u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 16), (Bytes{'c', 'h', 'r', '$', 32, 24, 9, 0x11, 0xAA, 0, 0, 0, 0, 0, 0x77, 71}));
    EXPECT_EQ(file[7 + 32 * 9], 0x55);
    EXPECT_EQ(file[7 + 32 * 9 + 8], 56);
    EXPECT_EQ(file[6919 - 2], 0xEE);
    EXPECT_EQ(file[6919 - 1], 0x42);
}

TEST(Writers, GigascreenCharacterFileInterleavesTheTwoScreensPerCell)
{
    const Bytes file = gigaChrsFile(a, b);
    ASSERT_EQ(file.size(), 13831u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 7), (Bytes{'c', 'h', 'r', '$', 32, 24, 12}));
    // Cell (row 2, column 5) is cell 69: 18 bytes at 7 + 69 * 18.
    const size_t cell = 7 + 69 * 18;
    for (int line = 0; line < 8; ++line) {
        EXPECT_EQ(file[cell + line], a[standardPixelOffset(40, 16 + line)]);
        EXPECT_EQ(file[cell + 9 + line], b[standardPixelOffset(40, 16 + line)]);
    }
    EXPECT_EQ(file[cell + 8], a[6144 + 69]);
    EXPECT_EQ(file[cell + 17], b[6144 + 69]);
}

TEST(Readers, ShortFilesFillOnlyWhatTheyHoldAndLongOnesStopAtTheirArea)
{
    ScreenBuffer scr1, scr2;
    scr1.fill(0xCC);
    scr2.fill(0xDD);
    readScr(Bytes(100, 1), scr1);
    EXPECT_EQ(scr1[99], 1);
    EXPECT_EQ(scr1[100], 0xCC);
    readImg(Bytes(7000, 2), scr1, scr2);
    EXPECT_EQ(scr1[6911], 2);
    EXPECT_EQ(scr1[6912], 0xCC);  // an image never touches bytes past 6911
    EXPECT_EQ(scr2[87], 2);
    EXPECT_EQ(scr2[88], 0xDD);
    readScr({}, scr1);
    EXPECT_EQ(scr1[0], 2);

    // An .mc of 12288 bytes fills exactly screen 1; at most 1536 more reach scr2.
    scr2.fill(0xDD);
    readMc(Bytes(12288, 3), scr1, scr2);
    for (uint8_t v : scr1) ASSERT_EQ(v, 3);
    for (uint8_t v : scr2) ASSERT_EQ(v, 0xDD);
    readMc(Bytes(20000, 4), scr1, scr2);
    EXPECT_EQ(scr2[1535], 4);
    EXPECT_EQ(scr2[1536], 0xDD);

    Bytes mcx = mcxFile(a, b);
    mcx.resize(30000, 0xFF);
    readMcx(mcx, scr1, scr2);
    EXPECT_EQ(scr1, a);
    EXPECT_EQ(scr2, b);

    ScreenBuffer img1{}, img2{};
    readImg(imgFile(a, b), img1, img2);
    EXPECT_TRUE(scrFile(img1) == scrFile(a) && scrFile(img2) == scrFile(b));
    EXPECT_EQ(img1[6912], 0);

    EmgImage emg{};
    Bytes bytes(8000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    readEmg(bytes, emg);
    EXPECT_TRUE(emgFile(emg) == Bytes(bytes.begin(), bytes.begin() + 7680));
}

}  // namespace
}  // namespace dw
