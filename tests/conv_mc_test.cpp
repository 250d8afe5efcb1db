// The multicolor converter: attribute choice per 8x1 cell, the column-pair
// ranking and quota, the error kernel and the dithering band.

#include "modes/conv_mc.h"
#include "support/parts.h"

namespace dw {

struct ConvMcTest : ::testing::Test {
    test::Parts p;
    uint8_t attribute(int column, int y) { return p.scr2[32 * y + column]; }
    uint8_t bitmapByte(int column, int y) { return p.scr1[32 * y + column]; }
    void convert() { convMC(p.conversion()); }
};

// On a black picture the start pair (0, 7) and the first candidate (0, 1) both
// cost nothing, so every ratio is 1: the quota goes to the highest pairs.
// Odd lines take the bright grey pair; other lines keep the line above.
TEST_F(ConvMcTest, BlackPictureWithLimitGivesNewPairsToTheHighestSixteenColumns)
{
    p.settings.limitMC = true;
    convert();
    for (int y = 0; y < screenHeight; ++y)
        for (int c = 0; c < 32; ++c)
            ASSERT_TRUE(attribute(c, y) == (y % 8 != 0 ? 71 : c >= 16 ? 1 : y == 0 ? 7 : 71) && bitmapByte(c, y) == 0)
                << "column " << c << " line " << y;
}

// Pure red in columns 0 and 1 gains far more from a new pair than the black
// elsewhere, so pair 0 is rendered first, then pairs 15..9 by the tie rule.
TEST_F(ConvMcTest, HighestRatioTakesTheQuotaFirstThenTheHigherPairs)
{
    for (int x = 0; x < 16; ++x) p.set(x, 0, 0, 0, 126);
    p.settings.limitMC = true;
    convert();
    for (int c = 0; c < 32; ++c) EXPECT_EQ(attribute(c, 0), c < 2 ? 2 : c >= 18 ? 1 : 7) << "column " << c;
    EXPECT_TRUE(bitmapByte(0, 0) == 0xFF && bitmapByte(1, 0) == 0xFF);
}

// Every cell of line 0 is grey 60, six blacks, grey 50, all on black and
// grey 126. Alone a cell stays paper; with the share 25 that grey 50 pushes
// right, its first pixel turns ink. Equal ratios render pair 15 first, so
// only the odd column of each pair receives the share from its left.
TEST_F(ConvMcTest, EqualRatiosRenderTheHigherPairFirst)
{
    for (int c = 0; c < 32; ++c) p.set(8 * c, 0, 60, 60, 60), p.set(8 * c + 7, 0, 50, 50, 50);
    convert();
    for (int c = 0; c < 32; ++c) EXPECT_TRUE(attribute(c, 0) == 7 && bitmapByte(c, 0) == (c % 2 ? 0x80 : 0)) << c;
}

// Keep pair (0, 1) costs 990 on line 1; the best candidate (0, 7) costs 692.
// 990 * double(0.7) is 692.99999... in extended precision but 693 in double.
TEST_F(ConvMcTest, LevelThresholdTruncatesTheExtendedProduct)
{
    p.settings.evenMC = false;
    for (double level : {0.7, 0.71}) {
        p.fill(0, 0, 0);
        for (int c = 0; c < 32; ++c) p.set(8 * c, 1, 53, 19, 23);
        p.settings.mcLevel = level;
        convert();
        for (int c = 0; c < 32; ++c) EXPECT_EQ(attribute(c, 1), level == 0.7 ? 1 : 7) << level << " column " << c;
    }
    EXPECT_TRUE(lineThreshold(1, 10, 0.7) == 6 && lineThreshold(3, 1000, 1e300) == 4000000000000000000);  // held, not overflowing
}

// Grey 40 at (0, 191) on black: pair (0, 7), all paper; the errors 40, 20,
// 10, 5, 2, 1 go half right, a quarter below and a thirty-second under the
// whole cell, into the margin line 192. Projected first, (60, 40, 20) takes
// black and cyan and becomes (50, 50, 0).
TEST_F(ConvMcTest, ErrorGoesHalfRightAQuarterBelowAndAThirtySecondUnderTheCell)
{
    p.settings.evenMC = false;
    p.set(0, 191, 40, 40, 40);
    convert();
    EXPECT_TRUE(attribute(0, 191) == 7 && bitmapByte(0, 191) == 0);
    const int right[8] = {40, 20, 10, 5, 2, 1, 0, 0};
    const int below[10] = {0, 11, 6, 3, 2, 1, 1, 1, 1, 0};  // x = -1 .. 8
    for (int x = 0; x < 8; ++x) EXPECT_EQ(p.workG[191][x], right[x]) << "x " << x;
    for (int x = -1; x < 9; ++x) EXPECT_TRUE(p.workB[192][x] == below[x + 1] && p.workR[192][x] == below[x + 1]) << x;

    test::Parts q;
    q.settings.evenMC = false;
    q.settings.projecting = true;
    q.set(0, 191, 60, 40, 20);
    convMC(q.conversion());
    EXPECT_TRUE(q.scr2[32 * 191] == 5 && q.workB[191][0] == 50 && q.workG[191][0] == 50 && q.workR[191][0] == 0);
    const int projectedBelow[8] = {13, 7, 4, 2, 1, 1, 1, 1};
    for (int x = 0; x < 8; ++x) EXPECT_TRUE(q.workG[192][x] == projectedBelow[x] && q.workR[192][x] == 0) << x;
}

// Grey 127 takes black and grey 126: nearer the ink as it stands, but the
// band of level 0 makes every channel 0 (below 128) before the choice.
TEST_F(ConvMcTest, DitheringLevelZeroForcesChannelsToTheExtremesBeforeTheChoice)
{
    for (bool levelZero : {false, true}) {
        if (levelZero) p.levelZero();
        p.fill(0, 0, 0);
        for (int x = 0; x < screenWidth; ++x) p.set(x, 0, 127, 127, 127);
        convert();
        for (int c = 0; c < 32; ++c)
            ASSERT_TRUE(attribute(c, 0) == 7 && bitmapByte(c, 0) == (levelZero ? 0x00 : 0xFF)) << levelZero << " " << c;
    }
}

}  // namespace dw
