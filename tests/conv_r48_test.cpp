// The R48-Mode converter: the row colours, the cell colour choice, the
// clamped model, the limited error with its right share and sixteen
// thirty-seconds, and full levels held to a byte.

#include "modes/conv_r48.h"
#include "support/parts.h"
#include "zxfiles/layouts.h"

namespace dw {

// Complement colour bytes of rows with y mod 3 = 0, 1, 2: cyan, magenta, yellow.
constexpr uint8_t complementByte[3] = {69, 67, 70};

struct ConvR48Test : ::testing::Test {
    test::Parts p;
    uint8_t colourByte(int cx, int y) const { return p.rmExtra[0][32 * y + cx]; }
    void convert() { convR48Mode(p.conversion()); }
};

// Both colours sum to 0 on black, so every cell takes the complement and
// every pixel stays black. On white the complement's full level lies nearest
// (65043 against 130059), and white is nearer it than black: every bit set.
TEST_F(ConvR48Test, BlackAndWhitePicturesTakeTheComplementOfEveryRow)
{
    for (int level : {0, 255}) {
        p.fill(level, level, level);
        convert();
        std::vector<uint8_t> expected(6144, level);
        for (int y = 0; y < screenHeight; ++y) expected.insert(expected.end(), 32, complementByte[y % 3]);
        EXPECT_EQ(r48File(p.scr1, p.rmExtra), expected);
        EXPECT_EQ(p.zxBitmap.pixel(0, 0), level ? packColour({252, 252, 0}) : 0u);
    }
}

// Red 120 in red cells at x = 0 and x = 10 of row 0 (black elsewhere): each
// stays black and passes 120 / 32 = 3 to columns x - 3 .. x + 4 of rows 1
// and 2, and 60 to its right; that 60 passes 1 to x - 2 .. x + 5. The right
// shares halve on to the cell's eighth pixel, which passes nothing on.
TEST_F(ConvR48Test, ErrorGoesHalfRightInsideTheCellAndInThirtySecondsToTwoRows)
{
    p.workR[0][0] = 120;
    p.workR[0][10] = 120;
    convert();
    EXPECT_EQ((std::array{colourByte(0, 0), colourByte(1, 0), colourByte(2, 0), p.scr1[0], p.scr1[1]}),
              (std::array<uint8_t, 5>{66, 66, 69, 0, 0}));
    // 60, 30, 15, 7, 3 along the cell; the eighth pixel's 3 / 2 stays behind.
    EXPECT_EQ((std::array{p.workR[0][11], p.workR[0][15], p.workR[0][16]}), (std::array{60, 3, 0}));
    const int shares[17] = {4, 4, 4, 4, 4, 1, 0, 3, 4, 4, 4, 4, 4, 4, 4, 1, 0};
    for (int y : {1, 2})
        for (int x = 0; x < 17; ++x) EXPECT_EQ(p.modelBitmap.red(x, y), shares[x]) << x << "," << y;
    for (int x = 0; x < 17; ++x) EXPECT_EQ(p.modelBitmap.red(x, 3), 0) << x;
}

// The colour choice clamps the pixel in the working picture itself, and
// the model shows the clamped value.
TEST_F(ConvR48Test, ChosenCellsAreClampedInPlaceAndShownClamped)
{
    p.workR[0][20] = 300;
    p.workB[0][20] = -40;
    convert();
    EXPECT_EQ(p.modelBitmap.pixel(20, 0), packColour({0, 0, 255}));
    EXPECT_TRUE(p.workB[0][20] == 0 && p.workR[0][20] == 255);
    EXPECT_EQ(colourByte(2, 0), 66);  // chosen on the unclamped value
}

// Entry 100 (file byte 200) would make a full level of 400: it is held at
// 255, so a red of 255 matches it exactly and shows as 255.
TEST_F(ConvR48Test, FullLevelsAbove255AreHeldAt255)
{
    EXPECT_EQ((std::array{r48FullLevel(63), r48FullLevel(64), r48FullLevel(127)}), (std::array{252, 255, 255}));
    p.fill(0, 0, 255);
    p.palR[2] = 100;
    convert();
    for (int x = 0; x < screenWidth; ++x) {
        ASSERT_EQ(colourByte(x / 8, 0), 66);
        ASSERT_EQ(p.zxBitmap.pixel(x, 0), packColour({0, 0, 255})) << x;
        ASSERT_EQ(p.workR[0][x], 255) << x;  // no error left to pass right
    }
    EXPECT_EQ(p.scr1[0], 255);
}

}  // namespace dw
