// The eight-colour converter: the per-channel decision and its error
// kernel, the dithering band, and the planes in Spectrum line order.

#include <gtest/gtest.h>

#include <random>

#include "modes/conv_8col.h"
#include "support/parts.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

// Bit of pixel (x, y) in a plane: 0 blue, 1 red (scr1), 2 green (scr2).
int planeBit(const test::Parts& p, int plane, int x, int y)
{
    const int offset = standardPixelOffset(x, y) + (plane == 1 ? 6144 : 0);
    return ((plane == 2 ? p.scr2 : p.scr1)[offset] & pixelMask(x)) ? 1 : 0;
}

// 128 lies above the middle: white, and -127 pushed per channel; 127 lies
// below it: black, and +127 pushed. Shares truncate toward zero.
TEST(Conv8col, MidGreysSplitAtTheMiddleAndPushTheirErrorByHalfQuarterAndEighths)
{
    test::Parts p;
    p.set(10, 10, 128, 128, 128);
    p.set(100, 50, 127, 127, 127);
    conv8col(p.conversion());
    EXPECT_EQ(p.zxBitmap.pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(p.zxBitmap.pixel(100, 50), 0u);
    for (Plane* plane : {&p.workB, &p.workG, &p.workR}) {
        EXPECT_EQ((*plane)[10][11], -63);
        EXPECT_EQ((*plane)[11][10], -31);
        EXPECT_EQ((*plane)[11][9], -15);
        EXPECT_EQ((*plane)[11][11], -15);
        // The pushed +127 goes on spreading from its neighbours; these two
        // receive nothing else.
        EXPECT_EQ((*plane)[50][101], 63);
        EXPECT_EQ((*plane)[51][99], 15);
    }
    // Only the grey 128 sets bits, one in each plane.
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            for (int plane = 0; plane < 3; ++plane)
                ASSERT_EQ(planeBit(p, plane, x, y), x == 10 && y == 10) << plane << ": " << x << "," << y;
}

// Blue 200 and red 100 at (0, 0): blue alone is set, each channel keeps its
// own error, and x = 0 pushes below-left into the margin.
TEST(Conv8col, ChannelsAreDecidedAndDiffusedIndependently)
{
    test::Parts p;
    p.set(0, 0, 200, 0, 100);
    conv8col(p.conversion());
    EXPECT_EQ(planeBit(p, 0, 0, 0) * 4 + planeBit(p, 1, 0, 0) * 2 + planeBit(p, 2, 0, 0), 4);
    EXPECT_EQ(p.zxBitmap.pixel(0, 0), packColour({255, 0, 0}));
    EXPECT_EQ(p.workB[0][1], -27);  // (200 - 255) / 2
    EXPECT_EQ(p.workR[0][1], 50);
    EXPECT_EQ(p.workG[0][1], 0);
    EXPECT_EQ(p.workB[1][-1], -6);
    EXPECT_EQ(p.workR[1][-1], 12);
}

// Row y of colour number y % 8: each plane holds its channel's rows at
// 32 * zxline(y), blue and red in scr1, green in scr2.
TEST(Conv8col, PlanesHoldTheirChannelInSpectrumLineOrder)
{
    test::Parts p;
    p.paint([](int, int y) { return Colour{(y & 1) ? 255 : 0, (y & 4) ? 255 : 0, (y & 2) ? 255 : 0}; });
    conv8col(p.conversion());
    for (int y = 0; y < screenHeight; ++y)
        for (int c = 0, line = 32 * zxline(y); c < 32; ++c) {
            ASSERT_EQ(p.scr1[line + c], (y & 1) ? 255 : 0) << "row " << y;
            ASSERT_EQ(p.scr1[6144 + line + c], (y & 2) ? 255 : 0) << "row " << y;
            ASSERT_EQ(p.scr2[line + c], (y & 4) ? 255 : 0) << "row " << y;
        }
}

// Level 0 clamps every value to 0 or 255 before the decision: no error is
// left to diffuse, so each channel is the prepared value thresholded at 128.
TEST(Conv8col, DitheringLevelZeroIsAPlainThresholdAt128)
{
    test::Parts p;
    p.levelZero();
    std::mt19937 random(7);
    p.paint([&](int, int) { return Colour{int(random() % 256), int(random() % 256), int(random() % 256)}; });
    const test::Parts before = p;
    conv8col(p.conversion());
    EXPECT_TRUE(p.workB == before.workB && p.workG == before.workG && p.workR == before.workR);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            ASSERT_EQ(planeBit(p, 0, x, y), before.workB[y][x] >= 128) << x << "," << y;
            ASSERT_EQ(planeBit(p, 1, x, y), before.workR[y][x] >= 128) << x << "," << y;
            ASSERT_EQ(planeBit(p, 2, x, y), before.workG[y][x] >= 128) << x << "," << y;
        }
}

}  // namespace
}  // namespace dw
