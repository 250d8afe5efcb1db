// The eight-colour converter: the per-channel decision and its error
// kernel, the dithering band, and the planes in Spectrum line order.

#include "modes/conv_8col.h"
#include "support/parts.h"
#include "zxfiles/layouts.h"

namespace dw {

// Bit of pixel (x, y) in a plane: 0 blue, 1 red (scr1), 2 green (scr2).
int planeBit(const test::Parts& p, int plane, int x, int y)
{
    const int offset = standardPixelOffset(x, y) + (plane == 1 ? 6144 : 0);
    return ((plane == 2 ? p.scr2 : p.scr1)[offset] & pixelMask(x)) ? 1 : 0;
}

// 128 lies above the middle: white, and -127 pushed per channel; 127 lies
// below it: black, and +127 pushed. Shares truncate toward zero. Blue 200 and
// red 100 at (0, 0): blue alone is set, each channel keeps its own error, and
// x = 0 pushes below-left into the margin.
TEST(Conv8col, ChannelsSplitAtTheMiddleAndPushTheirOwnErrorByHalfQuarterAndEighths)
{
    test::Parts p;
    p.set(10, 10, 128, 128, 128);
    p.set(100, 50, 127, 127, 127);
    p.set(0, 0, 200, 0, 100);
    conv8col(p.conversion());
    EXPECT_EQ((std::array{p.zxBitmap.pixel(10, 10), p.zxBitmap.pixel(100, 50), p.zxBitmap.pixel(0, 0)}),
              (std::array{0xFFFFFFu, 0u, packColour({255, 0, 0})}));
    // The pushed +127 goes on spreading from its neighbours; (101, 50) and
    // (99, 51) receive nothing else.
    for (Plane* plane : {&p.workB, &p.workG, &p.workR})
        EXPECT_EQ((std::array{(*plane)[10][11], (*plane)[11][10], (*plane)[11][9], (*plane)[11][11], (*plane)[50][101],
                              (*plane)[51][99]}),
                  (std::array{-63, -31, -15, -15, 63, 15}));
    // Blue (200 - 255) / 2 right, an eighth below-left.
    EXPECT_EQ((std::array{p.workB[0][1], p.workR[0][1], p.workG[0][1], p.workB[1][-1], p.workR[1][-1]}),
              (std::array{-27, 50, 0, -6, 12}));
    // Only the grey 128 sets bits, one in each plane, and the blue at (0, 0).
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            for (int plane = 0; plane < 3; ++plane)
                ASSERT_EQ(planeBit(p, plane, x, y), (x == 10 && y == 10) || (x + y + plane == 0)) << plane << ": " << x << "," << y;
}

}  // namespace dw
