// The shared dithering pieces: ink shares in both forms and the pixel
// decision with its band override.

#include "support/test_support.h"
#include "colour/dithering.h"

namespace dw {

const Colour black{0, 0, 0}, white{252, 252, 252};

TEST(InkShare, FloatFormIsUnclampedTheIntegerFormClampedBothTruncatedTowardZero)
{
    const struct {
        Colour pixel, paper, ink;
        int share, clamped;
    } cases[] = {
        {black, black, white, 0, 0},
        {white, black, white, 256, 255},
        {{126, 126, 126}, black, white, 128, 128},
        // diff = 3 * 255^2 - 3 * 3^2 = 195048, n = 190512: (195048 / 190512 + 1) * 128 = 259.04
        {{255, 255, 255}, black, white, 259, 255},
        // diff = 1 - 9 = -8, n = 4: (-2 + 1) * 128
        {{-1, 0, 0}, black, {2, 0, 0}, -128, 0},
        {{10, 20, 30}, white, white, 128, 128},  // equal colours: n counts as 1
        // diff = 1 - 4 = -3, n = 9: 128 - 384 / 9 = 128 - 42 (toward zero)
        {{1, 0, 0}, black, {3, 0, 0}, 85, 86},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(inkShare(c.pixel, c.paper, c.ink), c.share) << c.pixel.b << " " << c.ink.b;
        EXPECT_EQ(inkShareInt(c.pixel, c.paper, c.ink), c.clamped) << c.pixel.b << " " << c.ink.b;
    }
}

TEST(PixelDecision, NearerColourOrStrictMatrixThresholdThenTheBandOverridesButNotTheErrorBit)
{
    const DitherBand full{0, 255}, level0{128, 127}, half{64, 191};
    const struct {
        Colour pixel;
        int share, x, y;
        bool diffusion;
        DitherBand band;
        int bit;
    } cases[] = {
        {{126, 126, 126}, 128, 0, 0, true, full, 1},  // a tie goes to the ink
        {{125, 126, 126}, 127, 0, 0, true, full, 0},
        {black, 30, 0, 0, false, full, 0},  // ditherMatrix[0][0] = 30
        {black, 31, 0, 0, false, full, 1},
        {black, 200, 1, 0, false, full, 0},  // row from x: [1][0] = 222
        {black, 200, 0, 1, false, full, 1},  // column from y: [0][1] = 158
        {black, 128, 0, 0, true, level0, 1},
        {black, 128, 0, 0, false, level0, 1},
        {white, 127, 0, 0, false, level0, 0},
        {white, 63, 0, 0, true, half, 0},
        {black, 192, 0, 0, true, half, 1},
        {black, 191, 0, 0, true, half, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decidePixel(c.pixel, black, white, c.share, c.x, c.y, c.diffusion, 7, c.band).bit, c.bit)
            << c.pixel.b << " share " << c.share << " at " << c.x << "," << c.y;
    const PixelBit overridden = decidePixel({200, 200, 200}, black, white, 127, 0, 0, true, 7, level0);
    EXPECT_TRUE(overridden.bit == 0 && overridden.nearBit == 1);
    // "5 chunks" tiles a flat share of 100 as a chequerboard.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(decidePixel(black, black, white, 100, x, y, false, 1, full).bit, x % 2 == y % 2) << x << "," << y;
}

}  // namespace dw
