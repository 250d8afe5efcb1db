// The eight-colour converter and its run: the per-channel decision and its
// error kernel, the dithering band, the planes in Spectrum line order, and
// the ".3" file.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "colour/colour.h"
#include "colour/helpers.h"
#include "modes/conv_8col.h"
#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

class Conv8colTest : public ::testing::Test {
protected:
    void SetUp() override { test::fillWork(form(), 0, 0, 0); }

    TForm1& form() { return *harness.form; }
    void setGrey(int x, int y, int v) { form().workB[y][x] = form().workG[y][x] = form().workR[y][x] = v; }

    // Bit of pixel (x, y) in a plane: 0 blue, 1 red (scr1), 2 green (scr2).
    int planeBit(int plane, int x, int y)
    {
        const int offset = standardPixelOffset(x, y) + (plane == 1 ? 6144 : 0);
        return ((plane == 2 ? form().scr2 : form().scr1)[offset] & pixelMask(x)) ? 1 : 0;
    }

    test::ScratchDir dir;
    test::Harness harness;
};

// 128 lies above the middle: white, and -127 pushed per channel; 127 lies
// below it: black, and +127 pushed. Shares truncate toward zero.
TEST_F(Conv8colTest, MidGreysSplitAtTheMiddleAndPushTheirErrorByHalfQuarterAndEighths)
{
    setGrey(10, 10, 128);
    setGrey(100, 50, 127);
    conv8col(form().conversion(form().modeSettings()));

    EXPECT_EQ(form().zxBitmap.pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(form().zxBitmap.pixel(100, 50), 0u);
    for (Plane* plane : {&form().workB, &form().workG, &form().workR}) {
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
                ASSERT_EQ(planeBit(plane, x, y), x == 10 && y == 10) << plane << ": " << x << "," << y;
}

// Blue 200 and red 100 at (0, 0): blue alone is set, each channel keeps its
// own error, and x = 0 pushes below-left into the margin.
TEST_F(Conv8colTest, ChannelsAreDecidedAndDiffusedIndependently)
{
    form().workB[0][0] = 200;
    form().workR[0][0] = 100;
    conv8col(form().conversion(form().modeSettings()));
    EXPECT_EQ(planeBit(0, 0, 0) * 4 + planeBit(1, 0, 0) * 2 + planeBit(2, 0, 0), 4);
    EXPECT_EQ(form().zxBitmap.pixel(0, 0), packColour({255, 0, 0}));
    EXPECT_EQ(form().workB[0][1], -27);  // (200 - 255) / 2
    EXPECT_EQ(form().workR[0][1], 50);
    EXPECT_EQ(form().workG[0][1], 0);
    EXPECT_EQ(form().workB[1][-1], -6);
    EXPECT_EQ(form().workR[1][-1], 12);
}

// Row y of colour number y % 8: each plane holds its channel's rows at
// 32 * zxline(y), blue and red in scr1, green in scr2.
TEST_F(Conv8colTest, PlanesHoldTheirChannelInSpectrumLineOrder)
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            form().workB[y][x] = (y & 1) ? 255 : 0;
            form().workR[y][x] = (y & 2) ? 255 : 0;
            form().workG[y][x] = (y & 4) ? 255 : 0;
        }
    conv8col(form().conversion(form().modeSettings()));
    for (int y = 0; y < screenHeight; ++y)
        for (int c = 0, line = 32 * zxline(y); c < 32; ++c) {
            ASSERT_EQ(form().scr1[line + c], (y & 1) ? 255 : 0) << "row " << y;
            ASSERT_EQ(form().scr1[6144 + line + c], (y & 2) ? 255 : 0) << "row " << y;
            ASSERT_EQ(form().scr2[line + c], (y & 4) ? 255 : 0) << "row " << y;
        }
}

// Level 0 clamps every value to 0 or 255 before the decision: no error is
// left to diffuse, so each channel is the prepared value thresholded at 128.
TEST_F(Conv8colTest, DitheringLevelZeroIsAPlainThresholdAt128)
{
    form().setText(form().edDithLevel, "0");
    std::mt19937 random(7);
    for (Plane* plane : {&form().workB, &form().workG, &form().workR})
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) (*plane)[y][x] = random() % 256;
    Plane b, g, r;
    b.copyFrom(form().workB), g.copyFrom(form().workG), r.copyFrom(form().workR);
    conv8col(form().conversion(form().modeSettings()));

    EXPECT_TRUE(form().workB == b && form().workG == g && form().workR == r);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            ASSERT_EQ(planeBit(0, x, y), b[y][x] >= 128) << x << "," << y;
            ASSERT_EQ(planeBit(1, x, y), r[y][x] >= 128) << x << "," << y;
            ASSERT_EQ(planeBit(2, x, y), g[y][x] >= 128) << x << "," << y;
        }
}

// With no picture chosen the preparation gives white: every plane full. The
// run copies no planes, and its time line comes after the file is written, so
// a file that cannot be written is reported just before it.
TEST_F(Conv8colTest, RunWritesNonameDot3AndReportsAFailedWriteBeforeItsTimeLine)
{
    form().origB.fill(-5);
    form().btConv8colClick();
    EXPECT_EQ(test::readFile(dir.path() / "noname.3"), std::vector<uint8_t>(eightColourFileSize, 255));
    EXPECT_EQ(form().origB[0][0], -5);
    EXPECT_EQ(form().imTo.picture, form().zxBitmap);
    EXPECT_FALSE(form().retouchOn);
    EXPECT_FALSE(form().gigaShown);
    ASSERT_FALSE(form().Memo1.lines.empty());
    EXPECT_TRUE(form().Memo1.lines.back().ends_with(" sec"));

    form().outBase = (dir.path() / "gone" / "noname").string();
    form().btConv8colClick();
    const auto& lines = form().Memo1.lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("cannot write " + form().outBase + ".3"));
    EXPECT_TRUE(lines.back().ends_with(" sec"));
}

}  // namespace
}  // namespace dw
