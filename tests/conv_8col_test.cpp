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

using test::Harness;
using test::ScratchDir;

class Conv8colTest : public ::testing::Test {
protected:
    void SetUp() override { test::fillWork(form(), 0, 0, 0); }

    TForm1& form() { return *harness.form; }

    void setPixel(int x, int y, int v)
    {
        form().workB[y][x] = v;
        form().workG[y][x] = v;
        form().workR[y][x] = v;
    }

    // Bit of pixel (x, y) in a plane: 0 blue, 1 red (scr1), 2 green (scr2).
    int planeBit(int plane, int x, int y)
    {
        const int offset = standardPixelOffset(x, y);
        const uint8_t byte = plane == 0 ? form().scr1[offset] : plane == 1 ? form().scr1[6144 + offset]
                                                                           : form().scr2[offset];
        return (byte & pixelMask(x)) ? 1 : 0;
    }

    ScratchDir dir;
    Harness harness;
};

// 128 lies above the middle: white, and -127 pushed per channel; 127 lies
// below it: black, and +127 pushed. Shares truncate toward zero.
TEST_F(Conv8colTest, MidGreysSplitAtTheMiddleAndPushTheirErrorByHalfQuarterAndEighths)
{
    setPixel(10, 10, 128);
    setPixel(100, 50, 127);
    conv8col(form());

    for (int plane = 0; plane < 3; ++plane) {
        EXPECT_EQ(planeBit(plane, 10, 10), 1);
        EXPECT_EQ(planeBit(plane, 100, 50), 0);
    }
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
    // Everything else of the picture stays black.
    int setBits = 0;
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) setBits += planeBit(0, x, y) + planeBit(1, x, y) + planeBit(2, x, y);
    EXPECT_EQ(setBits, 3);
}

TEST_F(Conv8colTest, ChannelsAreDecidedAndDiffusedIndependently)
{
    form().workB[0][0] = 200;  // blue only
    form().workR[0][0] = 100;  // red below the middle
    conv8col(form());
    EXPECT_EQ(planeBit(0, 0, 0), 1);
    EXPECT_EQ(planeBit(1, 0, 0), 0);
    EXPECT_EQ(planeBit(2, 0, 0), 0);
    EXPECT_EQ(form().zxBitmap.pixel(0, 0), packColour({255, 0, 0}));
    EXPECT_EQ(form().workB[0][1], -27);  // (200 - 255) / 2
    EXPECT_EQ(form().workR[0][1], 50);
    EXPECT_EQ(form().workG[0][1], 0);
    EXPECT_EQ(form().workB[1][-1], -6);  // x = 0 pushes below-left into the margin
    EXPECT_EQ(form().workR[1][-1], 12);
}

// Row y of colour number y % 8: each plane holds its channel's rows at
// 32 * zxline(y), blue and red in scr1, green in scr2.
TEST_F(Conv8colTest, PlanesHoldTheirChannelInSpectrumLineOrder)
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const int colour = y % 8;
            form().workB[y][x] = (colour & 1) ? 255 : 0;
            form().workR[y][x] = (colour & 2) ? 255 : 0;
            form().workG[y][x] = (colour & 4) ? 255 : 0;
        }
    conv8col(form());
    for (int y = 0; y < screenHeight; ++y) {
        const int colour = y % 8, line = 32 * zxline(y);
        for (int c = 0; c < 32; ++c) {
            ASSERT_EQ(form().scr1[line + c], (colour & 1) ? 255 : 0) << "row " << y;
            ASSERT_EQ(form().scr1[6144 + line + c], (colour & 2) ? 255 : 0) << "row " << y;
            ASSERT_EQ(form().scr2[line + c], (colour & 4) ? 255 : 0) << "row " << y;
        }
    }
}

// Level 0 clamps every value to 0 or 255 before the decision: no error is
// left to diffuse, so each channel is the prepared value thresholded at 128.
TEST_F(Conv8colTest, DitheringLevelZeroIsAPlainThresholdAt128)
{
    form().setText(form().edDithLevel, "0");
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 255);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            form().workB[y][x] = level(random);
            form().workG[y][x] = level(random);
            form().workR[y][x] = level(random);
        }
    Plane b, g, r;
    b.copyFrom(form().workB);
    g.copyFrom(form().workG);
    r.copyFrom(form().workR);
    conv8col(form());

    EXPECT_TRUE(form().workB == b && form().workG == g && form().workR == r);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            ASSERT_EQ(planeBit(0, x, y), b[y][x] >= 128 ? 1 : 0) << x << "," << y;
            ASSERT_EQ(planeBit(1, x, y), r[y][x] >= 128 ? 1 : 0) << x << "," << y;
            ASSERT_EQ(planeBit(2, x, y), g[y][x] >= 128 ? 1 : 0) << x << "," << y;
        }
}

// With no picture chosen the preparation gives white: every plane full.
TEST_F(Conv8colTest, RunWritesTheThreePlanesAsNonameDot3WithoutCopyingPlanes)
{
    form().origB.fill(-5);
    form().btConv8colClick();

    const std::vector<uint8_t> file = test::readFile(dir.path() / "noname.3");
    ASSERT_EQ(file.size(), eightColourFileSize);
    EXPECT_EQ(file, std::vector<uint8_t>(eightColourFileSize, 255));
    EXPECT_EQ(form().origB[0][0], -5);
    EXPECT_EQ(form().imTo.picture, form().zxBitmap);
    EXPECT_FALSE(form().retouchOn);
    EXPECT_FALSE(form().gigaShown);
    ASSERT_FALSE(form().Memo1.lines.empty());
    EXPECT_TRUE(form().Memo1.lines.back().ends_with(" sec"));
}

// A file that cannot be written is reported before the time line, which
// comes last in this run.
TEST_F(Conv8colTest, RunReportsAnUnwritableFileBeforeItsTimeLine)
{
    std::filesystem::create_directory(dir.path() / "noname.3");
    form().btConv8colClick();
    const auto& lines = form().Memo1.lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("cannot write noname.3"));
    EXPECT_TRUE(lines.back().ends_with(" sec"));
}

}  // namespace
}  // namespace dw
