// The R48-Mode converter and its run: the row colours, the cell colour
// choice, the clamped model, the limited error with its right share and
// sixteen thirty-seconds, full levels held to a byte, and the ".r48" file.

#include <gtest/gtest.h>

#include <random>

#include "colour/colour.h"
#include "modes/conv_r48.h"
#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

using test::Harness;
using test::ScratchDir;

// Complement colour bytes of rows with y mod 3 = 0, 1, 2: cyan, magenta, yellow.
constexpr uint8_t complementByte[3] = {69, 67, 70};

class ConvR48Test : public ::testing::Test {
protected:
    TForm1& form() { return *harness.form; }
    uint8_t colourByte(int cx, int y) { return form().rmExtra[0][32 * y + cx]; }
    int modelRed(int x, int y) { return form().modelBitmap.red(x, y); }

    ScratchDir dir;
    Harness harness;
};

// The ".r48" bytes of a screen whose pixel bytes are all `pixels` and whose
// rows all take the complement colour.
std::vector<uint8_t> complementFile(uint8_t pixels)
{
    std::vector<uint8_t> bytes(6144, pixels);
    for (int y = 0; y < screenHeight; ++y) bytes.insert(bytes.end(), 32, complementByte[y % 3]);
    return bytes;
}

// Both colours sum to 0 everywhere, so every cell takes the complement and
// every pixel stays black.
TEST_F(ConvR48Test, BlackPictureTakesTheComplementOfEveryRowAndSetsNoBit)
{
    test::fillWork(form(), 0, 0, 0);
    convR48Mode(form().conversion(form().modeSettings()));
    EXPECT_EQ(r48File(form().scr1, form().rmExtra), complementFile(0));
    EXPECT_EQ(form().zxBitmap, Bitmap(screenWidth, screenHeight));
}

// With no picture chosen the preparation gives white. On every row the
// complement's full level lies nearest (65043 against 130059), and white is
// nearer it than black, so every bit is set.
TEST_F(ConvR48Test, RunOfAWhitePictureSetsEveryBitInTheComplementColours)
{
    form().btConvR48ModeClick();
    EXPECT_EQ(test::readFile(dir.path() / "noname.r48"), complementFile(255));
    EXPECT_EQ(form().zxBitmap.pixel(0, 0), packColour({252, 252, 0}));
    EXPECT_EQ(form().imTo.picture, form().zxBitmap);
    EXPECT_EQ(form().imToTmp.picture, form().modelBitmap);
    EXPECT_EQ(form().origG[5][5], 255);
    EXPECT_FALSE(form().retouchOn);
    ASSERT_FALSE(form().Memo1.lines.empty());
    EXPECT_TRUE(form().Memo1.lines.back().ends_with(" sec"));
}

TEST_F(ConvR48Test, RowColoursNeverLeaveTheirRowsPairAndPixelsShowBlackOrTheCellColour)
{
    std::mt19937 random(5);
    for (Plane* plane : {&form().workB, &form().workG, &form().workR})
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) (*plane)[y][x] = random() % 256;
    convR48Mode(form().conversion(form().modeSettings()));
    constexpr uint8_t primaryByte[3] = {66, 68, 65};  // blue, green, red
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const uint8_t b = colourByte(x / 8, y);
            ASSERT_TRUE(b == primaryByte[y % 3] || b == complementByte[y % 3]) << x << "," << y;
            const int k = b & 7;
            const bool on = form().scr1[linePixelOffset(x, y)] & pixelMask(x);
            const Colour full = {(k & 1) ? 252 : 0, (k & 4) ? 252 : 0, (k & 2) ? 252 : 0};
            ASSERT_EQ(form().zxBitmap.pixel(x, y), on ? packColour(full) : 0u) << x << "," << y;
        }
}

// Red 120 in red cells at x = 0 and x = 10 of row 0 (black elsewhere): each
// stays black and passes 120 / 32 = 3 to columns x - 3 .. x + 4 of rows 1
// and 2, and 60 to its right; that 60 passes 1 to x - 2 .. x + 5. The right
// shares halve on to the cell's eighth pixel, which passes nothing on.
TEST_F(ConvR48Test, ErrorGoesHalfRightInsideTheCellAndInThirtySecondsToTwoRows)
{
    test::fillWork(form(), 0, 0, 0);
    form().workR[0][0] = 120;
    form().workR[0][10] = 120;
    convR48Mode(form().conversion(form().modeSettings()));

    EXPECT_EQ(colourByte(0, 0), 66);
    EXPECT_EQ(colourByte(1, 0), 66);
    EXPECT_EQ(colourByte(2, 0), 69);
    EXPECT_EQ(form().scr1[0], 0);
    EXPECT_EQ(form().scr1[1], 0);
    EXPECT_EQ(form().workR[0][11], 60);
    EXPECT_EQ(form().workR[0][15], 3);   // 60, 30, 15, 7, 3 along the cell
    EXPECT_EQ(form().workR[0][16], 0);   // the eighth pixel's 3 / 2 stays behind

    const int shares[17] = {4, 4, 4, 4, 4, 1, 0, 3, 4, 4, 4, 4, 4, 4, 4, 1, 0};
    for (int y : {1, 2})
        for (int x = 0; x < 17; ++x) EXPECT_EQ(modelRed(x, y), shares[x]) << x << "," << y;
    for (int x = 0; x < 17; ++x) EXPECT_EQ(modelRed(x, 3), 0) << x;
}

// The colour choice clamps the pixel in the working picture itself, and
// the model shows the clamped value.
TEST_F(ConvR48Test, ChosenCellsAreClampedInPlaceAndShownClamped)
{
    test::fillWork(form(), 0, 0, 0);
    form().workR[0][20] = 300;
    form().workB[0][20] = -40;
    convR48Mode(form().conversion(form().modeSettings()));
    EXPECT_EQ(form().modelBitmap.pixel(20, 0), packColour({0, 0, 255}));
    EXPECT_EQ(form().workB[0][20], 0);
    EXPECT_EQ(form().workR[0][20], 255);
    EXPECT_EQ(colourByte(2, 0), 66);  // chosen on the unclamped value
}

// Entry 100 (file byte 200) would make a full level of 400: it is held at
// 255, so a red of 255 matches it exactly and shows as 255.
TEST_F(ConvR48Test, FullLevelsAbove255AreHeldAt255)
{
    EXPECT_EQ(r48FullLevel(63), 252);
    EXPECT_EQ(r48FullLevel(64), 255);
    EXPECT_EQ(r48FullLevel(127), 255);

    test::fillWork(form(), 0, 0, 255);
    form().palR[2] = 100;
    convR48Mode(form().conversion(form().modeSettings()));
    for (int x = 0; x < screenWidth; ++x) {
        ASSERT_EQ(colourByte(x / 8, 0), 66);
        ASSERT_EQ(form().zxBitmap.pixel(x, 0), packColour({0, 0, 255})) << x;
        ASSERT_EQ(form().workR[0][x], 255) << x;  // no error left to pass right
    }
    EXPECT_EQ(form().scr1[0], 255);
}

}  // namespace
}  // namespace dw
