// The R48-Mode converter: the row colours, the cell colour choice, the
// clamped model, the limited error with its right share and sixteen
// thirty-seconds, and full levels held to a byte.

#include "modes/conv_r48.h"
#include "support/parts.h"
#include "zxfiles/layouts.h"

namespace dw {

uint8_t colourByte(const test::Parts& p, int cx, int y) { return p.rmExtra[0][32 * y + cx]; }

// Both colours sum to 0 on black, so every cell takes the complement (cyan,
// magenta, yellow for y mod 3 = 0, 1, 2) and every pixel stays black. On
// white the complement's full level lies nearest (65043 against 130059), and
// white is nearer it than black: every bit set.
TEST(ConvR48, BlackAndWhitePicturesTakeTheComplementOfEveryRow)
{
    for (int level : {0, 255}) {
        test::Parts p;
        p.fill(level, level, level);
        convR48Mode(p.conversion());
        std::vector<uint8_t> expected(6144, level);
        for (int y = 0; y < screenHeight; ++y) expected.insert(expected.end(), 32, std::array{69, 67, 70}[y % 3]);
        EXPECT_EQ(r48File(p.scr1, p.rmExtra), expected);
        EXPECT_EQ(p.zxBitmap.pixel(0, 0), level ? packColour({252, 252, 0}) : 0u);
    }
}

// Red 120 in red cells at x = 0 and x = 10 of row 0 (black elsewhere): each
// stays black and passes 120 / 32 = 3 to columns x - 3 .. x + 4 of rows 1
// and 2, and 60 to its right; that 60 passes 1 to x - 2 .. x + 5. The right
// shares halve on to the cell's eighth pixel (60, 30, 15, 7, 3), which passes
// nothing on. A red of 300 with blue -40 at x = 20 chooses red on the
// unclamped value, is clamped in place and shown clamped.
TEST(ConvR48, ErrorGoesHalfRightInsideTheCellAndInThirtySecondsToTwoRowsAndChosenCellsAreClamped)
{
    test::Parts p;
    p.workR[0][0] = p.workR[0][10] = 120;
    p.workR[0][20] = 300, p.workB[0][20] = -40;
    convR48Mode(p.conversion());
    EXPECT_EQ((std::array{colourByte(p, 0, 0), colourByte(p, 1, 0), colourByte(p, 2, 0), p.scr1[0], p.scr1[1]}),
              (std::array<uint8_t, 5>{66, 66, 66, 0, 0}));
    EXPECT_EQ((std::array{p.workR[0][11], p.workR[0][15], p.workR[0][16]}), (std::array{60, 3, 0}));
    const int shares[17] = {4, 4, 4, 4, 4, 1, 0, 3, 4, 4, 4, 4, 4, 4, 4, 1, 0};
    for (int x = 0; x < 17; ++x)
        EXPECT_TRUE(p.modelBitmap.red(x, 1) == shares[x] && p.modelBitmap.red(x, 2) == shares[x] && !p.modelBitmap.red(x, 3))
            << x;
    EXPECT_EQ(p.modelBitmap.pixel(20, 0), packColour({0, 0, 255}));
    EXPECT_TRUE(p.workB[0][20] == 0 && p.workR[0][20] == 255);
}

// Entry 100 (file byte 200) would make a full level of 400: it is held at
// 255, so a red of 255 matches it exactly and shows as 255.
TEST(ConvR48, FullLevelsAbove255AreHeldAt255)
{
    EXPECT_EQ((std::array{r48FullLevel(63), r48FullLevel(64), r48FullLevel(127)}), (std::array{252, 255, 255}));
    test::Parts p;
    p.fill(0, 0, 255);
    p.palR[2] = 100;
    convR48Mode(p.conversion());
    for (int x = 0; x < screenWidth; ++x)  // no error left to pass right
        ASSERT_TRUE(colourByte(p, x / 8, 0) == 66 && p.zxBitmap.pixel(x, 0) == packColour({0, 0, 255}) && p.workR[0][x] == 255)
            << x;
    EXPECT_EQ(p.scr1[0], 255);
}

}  // namespace dw
