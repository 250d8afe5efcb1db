// The shared dithering pieces: ink shares in both forms, the pixel decision
// with its band override, error shares and the five-mix cell error.

#include <gtest/gtest.h>

#include "colour/dithering.h"
#include "colour/palette.h"

namespace dw {
namespace {

const Colour black{0, 0, 0}, white{252, 252, 252};

TEST(InkShare, FloatFormIsUnclampedAndTruncatedTowardZero)
{
    EXPECT_EQ(inkShare(black, black, white), 0);
    EXPECT_EQ(inkShare(white, black, white), 256);
    EXPECT_EQ(inkShare({126, 126, 126}, black, white), 128);
    // Beyond the ink: q = 255 each: diff = 3*255^2 - 3*3^2 = 195048, n = 190512.
    // (195048 / 190512 + 1) * 128 = 259.04... -> 259
    EXPECT_EQ(inkShare({255, 255, 255}, black, white), 259);
    // Beyond the paper on the other side the share goes negative; -0.5 truncates to 0.
    // q = -1 in blue only against P = 0, I = (2,0,0): diff = 1 - 9 = -8, n = 4: (-2+1)*128 = -128
    EXPECT_EQ(inkShare({-1, 0, 0}, black, {2, 0, 0}), -128);
    // Equal colours: n counts as 1, diff is 0, share 128.
    EXPECT_EQ(inkShare({10, 20, 30}, white, white), 128);
}

TEST(InkShare, IntegerFormClampsAndTruncates)
{
    EXPECT_EQ(inkShareInt(white, black, white), 255);
    EXPECT_EQ(inkShareInt({255, 255, 255}, black, white), 255);
    EXPECT_EQ(inkShareInt({-1, 0, 0}, black, {2, 0, 0}), 0);
    // diff = 1 - 1 = 0 between P = 0 and I = 2 at q = 1: 128.
    EXPECT_EQ(inkShareInt({1, 0, 0}, black, {2, 0, 0}), 128);
    // diff = -1 at q = (1,0,0) with P=0, I=(3,0,0): 1 - 4 = -3, n = 9: -384/9 = -42 (toward zero) -> 86
    EXPECT_EQ(inkShareInt({1, 0, 0}, black, {3, 0, 0}), 86);
}

TEST(PixelDecision, ErrorDiffusionPicksTheNearerColourInkOnTies)
{
    const DitherBand full{0, 255};
    EXPECT_EQ(decidePixel({126, 126, 126}, black, white, 128, 0, 0, true, 7, full).bit, 1);
    EXPECT_EQ(decidePixel({125, 126, 126}, black, white, 127, 0, 0, true, 7, full).bit, 0);
}

TEST(PixelDecision, OrderedComparisonIsStrict)
{
    const DitherBand full{0, 255};
    // ditherMatrix[0][0] = 30: t = 30 is paper, 31 ink.
    EXPECT_EQ(decidePixel(black, black, white, 30, 0, 0, false, 7, full).bit, 0);
    EXPECT_EQ(decidePixel(black, black, white, 31, 0, 0, false, 7, full).bit, 1);
    // Row index comes from x, column from y: [1][0] = 222, [0][1] = 158.
    EXPECT_EQ(decidePixel(black, black, white, 200, 1, 0, false, 7, full).bit, 0);
    EXPECT_EQ(decidePixel(black, black, white, 200, 0, 1, false, 7, full).bit, 1);
}

TEST(PixelDecision, FiveChunksTilesAFlatShareOfHundred)
{
    const DitherBand full{0, 255};
    int ink[4][4] = {};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ink[y][x] = decidePixel(black, black, white, 100, x, y, false, 1, full).bit;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(ink[y][x], (x % 2) == (y % 2) ? 1 : 0) << x << "," << y;
}

TEST(PixelDecision, BandOverridesButErrorUsesTheBitBeforeIt)
{
    const DitherBand level0{128, 127};
    PixelBit b = decidePixel({200, 200, 200}, black, white, 127, 0, 0, true, 7, level0);
    EXPECT_EQ(b.bit, 0);
    EXPECT_EQ(b.nearBit, 1);
    EXPECT_EQ(decidePixel(black, black, white, 128, 0, 0, true, 7, level0).bit, 1);
    EXPECT_EQ(decidePixel(black, black, white, 128, 0, 0, false, 7, level0).bit, 1);
    EXPECT_EQ(decidePixel(white, black, white, 127, 0, 0, false, 7, level0).bit, 0);

    const DitherBand half{64, 191};
    EXPECT_EQ(decidePixel(white, black, white, 63, 0, 0, true, 7, half).bit, 0);
    EXPECT_EQ(decidePixel(black, black, white, 192, 0, 0, true, 7, half).bit, 1);
    EXPECT_EQ(decidePixel(black, black, white, 191, 0, 0, true, 7, half).bit, 0);
}

TEST(ErrorShare, TruncatesTowardZeroForNegativeErrors)
{
    EXPECT_EQ(errorShare(-5, 3, 3), -1);
    EXPECT_EQ(errorShare(5, 1, 3), 0);
    EXPECT_EQ(errorShare(-7, 1, 3), 0);
    EXPECT_EQ(errorShare(-8, 1, 3), -1);
    EXPECT_EQ(errorShare(100, 3, 3), 37);
}

TEST(ColourProjecting, MovesPixelsOntoTheSegment)
{
    EXPECT_EQ(projectOntoSegment({126, 126, 126}, black, white), (Colour{126, 126, 126}));
    // Pure blue 255: diff = 65025 - 127017, t = -61992*128/190512 + 128 = 87,
    // each channel 252 * 87 / 256 = 85.
    EXPECT_EQ(projectOntoSegment({255, 0, 0}, black, white), (Colour{85, 85, 85}));
    // Equal colours: everything lands on C0.
    EXPECT_EQ(projectOntoSegment({1, 2, 3}, white, white), white);
    // At C1 the share clamps to 255: 252 * 255 / 256 = 251.
    EXPECT_EQ(projectOntoSegment(white, black, white), (Colour{251, 251, 251}));
}

TEST(FiveMixCellError, SumsTheNearestOfFiveMixes)
{
    Plane b, g, r;
    // A cell at the quarter mix between black paper and bright white ink:
    // P = 0, S = 126, (P+S)/2 = 63: error 0.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) b[y][x] = g[y][x] = r[y][x] = 63;
    const Colour paper = paletteColour(defaultPalB, defaultPalG, defaultPalR, 0);
    const Colour ink = paletteColour(defaultPalB, defaultPalG, defaultPalR, 15);
    EXPECT_EQ(fiveMixCellError(b, g, r, 0, 0, paper, ink, INT64_MAX), 0);
    // One pixel at 70: nearest mix 63, error 3 * 49.
    b[3][5] = g[3][5] = r[3][5] = 70;
    EXPECT_EQ(fiveMixCellError(b, g, r, 0, 0, paper, ink, INT64_MAX), 147);
    // Early stop returns something above the limit.
    EXPECT_GT(fiveMixCellError(b, g, r, 0, 0, paper, paper, 10), 10);
}

}  // namespace
}  // namespace dw
