// The ink share colour projecting takes: clamped, truncated toward zero.

#include "support/test_support.h"
#include "colour/dithering.h"

namespace dw {

const Colour black{0, 0, 0}, white{252, 252, 252};

TEST(InkShare, ClampedAndTruncatedTowardZero)
{
    const struct {
        Colour pixel, paper, ink;
        int clamped;
    } cases[] = {
        {black, black, white, 0},
        {white, black, white, 255},
        {{126, 126, 126}, black, white, 128},
        // diff = 3 * 255^2 - 3 * 3^2 = 195048, n = 190512: (195048 / 190512 + 1) * 128 = 259.04
        {{255, 255, 255}, black, white, 255},
        // diff = 1 - 9 = -8, n = 4: (-2 + 1) * 128
        {{-1, 0, 0}, black, {2, 0, 0}, 0},
        {{10, 20, 30}, white, white, 128},  // equal colours: n counts as 1
        // diff = 1 - 4 = -3, n = 9: 128 - 384 / 9 = 128 - 42 (toward zero)
        {{1, 0, 0}, black, {3, 0, 0}, 86},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inkShareInt(c.pixel, c.paper, c.ink), c.clamped) << c.pixel.b << " " << c.ink.b;
}

}  // namespace dw
