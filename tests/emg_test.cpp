// The compressed gigascreen file: strip numbers, where codes and attributes
// sit in the image, and a file written and loaded back through the loader.

#include <gtest/gtest.h>

#include <random>

#include "support/test_support.h"
#include "zxfiles/emg_code.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

TEST(StripNumber, CountsInkPerTwoByTwoBlockInBaseFive)
{
    EXPECT_EQ(stripNumber(0x00, 0x00), 0);
    EXPECT_EQ(stripNumber(0xFF, 0xFF), 624);
    EXPECT_EQ(stripNumber(0xC0, 0x81), 125 * 3 + 1);  // block 0 has three, block 3 one
    EXPECT_EQ(stripNumber(0x30, 0x10), 25 * 3);
    EXPECT_EQ(stripNumber(0x04, 0x08), 5 * 2);
    EXPECT_EQ(blockInkCount(0xC0, 0x81, 3), 1);
}

// Tables with a known loss: a block keeps 0, 2 or 4 ink pixels. Code k puts
// the bits of k on both lines; a count of 1..2 is coded as one upper bit per
// block, 3..4 as both.
struct CoarseTables {
    CodeTable code{};
    DecoTable deco{};
    CoarseTables()
    {
        for (int k = 0; k < 256; ++k) deco[0][k] = deco[1][k] = static_cast<uint8_t>(k);
        for (int n = 0; n < 625; ++n) {
            int bits = 0;
            for (int j = 0, rest = n, weight = 125; j < 4; ++j, rest %= weight, weight /= 5) {
                const int d = rest / weight;
                const int pattern = d == 0 ? 0 : d <= 2 ? 2 : 3;
                bits |= pattern << (6 - 2 * j);
            }
            code[n] = static_cast<uint8_t>(bits);
        }
    }
};

int coarse(int count) { return count == 0 ? 0 : count <= 2 ? 2 : 4; }

TEST(EmgImage, CodesAndAttributesSitColumnByColumn)
{
    ScreenBuffer scr1{}, scr2{};
    CodeTable identity{};
    for (int n = 0; n < 625; ++n) identity[n] = static_cast<uint8_t>(n % 251 + 1);
    // Column 3, line pair 5 (pixel lines 10 and 11).
    scr1[standardPixelOffset(24, 10)] = 0xC0;
    scr1[standardPixelOffset(24, 11)] = 0x81;
    scr2[standardPixelOffset(24, 11)] = 0x01;
    scr1[standardAttrOffset(24, 32)] = 71;  // cell row 4, column 3
    scr2[standardAttrOffset(24, 32)] = 9;

    EmgImage emg{};
    packEmg(scr1, scr2, identity, emg);
    EXPECT_EQ(emg[(3 * 96 + 5) * 2], identity[376]);
    EXPECT_EQ(emg[(3 * 96 + 5) * 2 + 1], identity[1]);
    EXPECT_EQ(emg[(3 * 96 + 6) * 2], identity[0]);
    EXPECT_EQ(emg[6144 + (3 * 24 + 4) * 2], 71);
    EXPECT_EQ(emg[6144 + (3 * 24 + 4) * 2 + 1], 9);
    EXPECT_EQ(emg[6144 + (3 * 24 + 5) * 2], 0);

    DecoTable deco{};
    for (int k = 0; k < 256; ++k) deco[0][k] = static_cast<uint8_t>(k), deco[1][k] = static_cast<uint8_t>(255 - k);
    ScreenBuffer out1{}, out2{};
    out1.fill(0x99);
    unpackEmg(emg, deco, out1, out2);
    EXPECT_EQ(out1[standardPixelOffset(24, 10)], identity[376]);
    EXPECT_EQ(out1[standardPixelOffset(24, 11)], 255 - identity[376]);
    EXPECT_EQ(out2[standardPixelOffset(24, 11)], 255 - identity[1]);
    EXPECT_EQ(out1[standardAttrOffset(24, 32)], 71);
    EXPECT_EQ(out1[6912], 0x99);  // past the standard attribute area nothing changes
}

TEST(EmgFile, WrittenAndLoadedBackKeepsBlockCountsAndAttributes)
{
    test::ScratchDir dir;
    test::Harness h;
    TForm1& form = *h.form;
    const CoarseTables tables;
    form.codeTab = tables.code;
    form.decoTab = tables.deco;

    std::mt19937 random(7);
    ScreenBuffer original1{}, original2{};
    for (ScreenBuffer* scr : {&original1, &original2})
        for (int i = 0; i < 6912; ++i) (*scr)[i] = static_cast<uint8_t>(random() & (i < 6144 ? 0xFF : 0x7F));
    packEmg(original1, original2, form.codeTab, form.emgBuf);
    test::writeFile(dir.path() / "pair.emg", emgFile(form.emgBuf));

    form.scr1 = form.scr2 = {};
    form.emgBuf = {};
    h.dialogs.screen = (dir.path() / "pair.emg").string();
    form.ImLoadClick();

    for (int y = 0; y < 192; y += 2)
        for (int x = 0; x < 256; x += 2)
            for (int s = 0; s < 2; ++s) {
                const auto count = [&](const ScreenBuffer& scr) {
                    return blockInkCount(scr[standardPixelOffset(x, y)], scr[standardPixelOffset(x, y + 1)], x % 8 / 2);
                };
                ASSERT_EQ(count(s ? form.scr2 : form.scr1), coarse(count(s ? original2 : original1)))
                    << "screen " << s + 1 << " block at " << x << "," << y;
            }
    for (int i = 6144; i < 6912; ++i) ASSERT_TRUE(form.scr1[i] == original1[i] && form.scr2[i] == original2[i]) << i;
}

}  // namespace
}  // namespace dw
