// The MCX converter: quadruples per 8x1 cell from the gigascreen records,
// the ranking shared with multicolor, and the four-mix rendering.

#include "colour/palette.h"
#include "modes/conv_mcx.h"
#include "support/parts.h"

namespace dw {

using test::Record;

// Parts whose table repeats `records`, on a black picture.
struct Mcx : test::Parts {
    explicit Mcx(const std::vector<Record>& records) { setRecords(records, true); }
};

// Every record is black / cyan on screen 1 and black / black on screen 2:
// mixes black, cyan, black, cyan. (31, 32, 0) is as near black as cyan
// (63, 63, 0); the tie goes to slot 1, screen 1's ink. Its error (-32, -31, 0)
// goes half right, a quarter below, an eighth below-left and below-right.
TEST(ConvMcx, PixelHalfwayBetweenTwoMixesTakesSlotOneAndSpreadsItsError)
{
    Mcx m({{0, 5, 0, 0}});
    m.workB[0][0] = 31, m.workG[0][0] = 32;
    convMCX(m.conversion());
    for (int i = 0; i < 6144; ++i)
        ASSERT_TRUE(m.scr1[6144 + i] == 5 && m.scr2[6144 + i] == 0 &&
                    m.scr1[i] == (i == 0 ? 0x80 : 0) && m.scr2[i] == 0) << i;
    EXPECT_EQ(m.zxBitmap.pixel(0, 0), packColour({63, 63, 0}));
    EXPECT_EQ(m.zxBitmap.pixel(1, 0), 0u);
    for (const auto& [y, x, blue, green] : {std::tuple{0, 1, -16, -15}, {1, 0, -8, -7}, {1, -1, -4, -3}, {1, 1, -4, -3}})
        EXPECT_TRUE(m.workB[y][x] == blue && m.workG[y][x] == green && m.workR[y][x] == 0) << x << "," << y;
}

// On black every record and the start quadruple cost nothing; with equal
// ratios the quota of 8 pairs goes to the highest. The record's two pairs
// have the same index difference and still take part (unlike gigascreen).
TEST(ConvMcx, BlackPictureWithLimitGivesRecordsToTheHighestSixteenColumns)
{
    for (bool limit : {true, false}) {
        Mcx m({{0, 1, 0, 1}});
        m.settings.limitMC = limit;
        convMCX(m.conversion());
        for (int i = 0; i < 6144; ++i) {
            const bool record = i % 32 >= 16 || !limit;
            ASSERT_TRUE(m.scr1[6144 + i] == (record ? 1 : 7) && m.scr2[6144 + i] == (record ? 1 : 71)) << limit << " " << i;
        }
    }
}

// With an all-black palette every record looks alike through the palette,
// but against the fixed mixes black / grey 63 / grey 63 / grey 126 matches
// grey 126 exactly and beats the all-black record before it. Rendering uses
// the palette: four equal black slots, so every pixel takes slot 1.
TEST(ConvMcx, RecordsAreMeasuredAgainstTheFixedMixesButRenderedInThePalette)
{
    Mcx m({{0, 0, 0, 0}, {0, 7, 0, 7}});
    m.palB.fill(0), m.palG.fill(0), m.palR.fill(0);
    m.fill(126, 126, 126);
    convMCX(m.conversion());
    for (int i = 0; i < 6144; ++i)
        ASSERT_TRUE(m.scr1[6144 + i] == 7 && m.scr2[6144 + i] == 7 && m.scr1[i] == 0xFF && m.scr2[i] == 0) << i;
    EXPECT_EQ(m.zxBitmap.pixel(100, 100), 0u);
}

// Blue paper with bright red ink cannot be written as one attribute: the
// cell shows what its attribute holds, normal red ink (63) or blue paper, and
// so does the preview, never bright red.
TEST(ConvMcx, RecordMixingBrightnessIsPreviewedAsItsAttributesShowIt)
{
    Mcx m({{1, 10, 0, 0}});
    m.fill(63, 0, 63);
    convMCX(m.conversion());
    EXPECT_EQ(m.scr1[6144], makeAttribute(1, 10));
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            ASSERT_TRUE(m.zxBitmap.pixel(x, y) == packColour({63, 0, 0}) || m.zxBitmap.pixel(x, y) == packColour({0, 0, 63}))
                << x << "," << y;
}

// The record tables stay in the scratch from run to run. Record 1 repeated
// record 0 in the first run; in the second it is the only record with blue
// and must win the blue picture's cells, not be left out as a repeat.
TEST(ConvMcx, SecondRunOnTheSameScratchForgetsTheFirstRunsRepeats)
{
    Mcx m({{0, 0, 0, 0}});
    convMCX(m.conversion());
    m.setRecords({{7, 7, 7, 7}, {0, 1, 0, 0}}, true);
    m.fill(63, 0, 0);
    convMCX(m.conversion());
    EXPECT_EQ(m.scr1[6144], makeAttribute(0, 1));
}

}  // namespace dw
