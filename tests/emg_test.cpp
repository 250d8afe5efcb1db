// The compressed gigascreen file: strip numbers, where codes and attributes
// sit in the image, and a file written and loaded back through the loader.

#include "support/test_support.h"
#include "zxfiles/emg_code.h"
#include "zxfiles/layouts.h"

namespace dw {

TEST(EmgImage, StripNumbersCountInkPerBlockAndCodesAndAttributesSitColumnByColumn)
{
    // 0xC0 over 0x81: block 0 has three, block 3 one.
    EXPECT_EQ((std::array{stripNumber(0xFF, 0xFF), stripNumber(0xC0, 0x81), stripNumber(0x34, 0x18), blockInkCount(0xC0, 0x81, 3)}),
              (std::array{624, 125 * 3 + 1, 25 * 3 + 5 * 2, 1}));

    ScreenBuffer scr1{}, scr2{};
    CodeTable code{};
    for (int n = 0; n < 625; ++n) code[n] = static_cast<uint8_t>(n % 251 + 1);
    // Column 3, line pair 5 (pixel lines 10 and 11); cell row 4.
    scr1[standardPixelOffset(24, 10)] = 0xC0;
    scr1[standardPixelOffset(24, 11)] = 0x81;
    scr2[standardPixelOffset(24, 11)] = 0x01;
    scr1[standardAttrOffset(24, 32)] = 71;
    scr2[standardAttrOffset(24, 32)] = 9;
    EmgImage emg{};
    packEmg(scr1, scr2, code, emg);
    const size_t codes = (3 * 96 + 5) * 2, attributes = 6144 + (3 * 24 + 4) * 2;
    EXPECT_EQ(std::vector<uint8_t>(emg.begin() + codes, emg.begin() + codes + 3), (std::vector{code[376], code[1], code[0]}));
    EXPECT_EQ(std::vector<uint8_t>(emg.begin() + attributes, emg.begin() + attributes + 3), (std::vector<uint8_t>{71, 9, 0}));

    DecoTable deco{};
    for (int k = 0; k < 256; ++k) deco[0][k] = static_cast<uint8_t>(k), deco[1][k] = static_cast<uint8_t>(255 - k);
    ScreenBuffer out1{}, out2{};
    out1.fill(0x99);
    unpackEmg(emg, deco, out1, out2);
    // Past the standard attribute area nothing changes.
    EXPECT_EQ((std::array{out1[standardPixelOffset(24, 10)], out1[standardPixelOffset(24, 11)], out2[standardPixelOffset(24, 11)],
                          out1[standardAttrOffset(24, 32)], out1[6912]}),
              (std::array<uint8_t, 5>{code[376], uint8_t(255 - code[376]), uint8_t(255 - code[1]), 71, 0x99}));
}

// Tables with a known loss: code k puts the bits of k on both lines, and a
// block's count of 1..2 is coded as one upper bit, 3..4 as both, so it
// comes back as 0, 2 or 4.
TEST(EmgFile, WrittenAndLoadedBackKeepsBlockCountsAndAttributes)
{
    test::ScratchDir dir;
    test::Harness h;
    TForm1& form = *h.form;
    for (int k = 0; k < 256; ++k) form.decoTab[0][k] = form.decoTab[1][k] = static_cast<uint8_t>(k);
    for (int n = 0; n < 625; ++n) {
        int bits = 0;
        for (int j = 0, weight = 125; j < 4; ++j, weight /= 5)
            bits |= (n / weight % 5 == 0 ? 0 : n / weight % 5 <= 2 ? 2 : 3) << (6 - 2 * j);
        form.codeTab[n] = static_cast<uint8_t>(bits);
    }
    std::mt19937 random(7);
    ScreenBuffer original[2]{};
    for (ScreenBuffer& scr : original)
        for (int i = 0; i < 6912; ++i) scr[i] = static_cast<uint8_t>(random() & (i < 6144 ? 0xFF : 0x7F));
    packEmg(original[0], original[1], form.codeTab, form.emgBuf);
    test::writeFile(dir.path() / "pair.emg", emgFile(form.emgBuf));
    form.scr1 = form.scr2 = {};
    h.dialogs.screen = (dir.path() / "pair.emg").string();
    form.ImLoadClick();

    for (int s = 0; s < 2; ++s) {
        const ScreenBuffer& loaded = s ? form.scr2 : form.scr1;
        for (int y = 0; y < 192; y += 2)
            for (int x = 0; x < 256; x += 2) {
                const auto count = [&](const ScreenBuffer& scr) {
                    return blockInkCount(scr[standardPixelOffset(x, y)], scr[standardPixelOffset(x, y + 1)], x % 8 / 2);
                };
                const int before = count(original[s]);
                ASSERT_EQ(count(loaded), before == 0 ? 0 : before <= 2 ? 2 : 4) << s << ": " << x << "," << y;
            }
        EXPECT_TRUE(std::equal(loaded.begin() + 6144, loaded.begin() + 6912, original[s].begin() + 6144));
    }
}

}  // namespace dw
