// Tie rules and edge values of the small helpers: a wrong tie here changes
// which colour every converter picks.

#include <cmath>

#include "support/test_support.h"
#include "colour/helpers.h"
#include "colour/mix_table.h"
#include "colour/palette.h"

namespace dw {

TEST(Helpers, TiesGoToTheDocumentedArgumentAndBytesRoundAndClamp)
{
    EXPECT_EQ((std::array{argmin4(5, 5, 5, 5), argmin4(3, 4, 3, 3), argmin4(4, 4, 2, 2)}), (std::array{1, 0, 2}));
    // Equal values told apart by the sign of zero.
    EXPECT_TRUE(std::signbit(min2f(0.0, -0.0)));       // second on ties
    EXPECT_TRUE(std::signbit(min3f(-0.0, 0.0, 0.0)));  // earliest on ties
    EXPECT_FALSE(std::signbit(min3f(0.0, -0.0, 0.0)));
    // 255.4 * 0.001 = 0.2554 truncates to 0 after adding 0.5; 0.002 gives 1.
    for (const auto& [value, byte] : {std::pair{-0.1, 0}, {0.001, 0}, {0.002, 1}, {0.5, 128}, {1.0, 255}, {1.2, 255}})
        EXPECT_EQ(tobyte(value), byte) << value;
}

Triple triple(double a, double b, double c) { return Triple{{a, b, c}}; }
const Triple blue = triple(1, 0, 0), green = triple(0, 1, 0), red = triple(0, 0, 1), zero;

TEST(Projectcolor, ClampsToTheUnitCubeOfTheAxesWithInclusiveBoundsAndShiftsByTheOffset)
{
    Projection p = projectcolor(triple(0.25, 0.5, 0.75), zero, blue, green, red, 0.0);
    EXPECT_TRUE(p.inside && p.a == 0.25 && p.b == 0.5 && p.c == 0.75 && p.err == 0);
    p = projectcolor(triple(1.5, -0.5, 1.0), zero, blue, green, red, 0.0);
    EXPECT_TRUE(!p.inside && p.a == 1.0 && p.b == 0.0 && p.c == 1.0);
    EXPECT_DOUBLE_EQ(p.err, 0.25 + 0.25);
    EXPECT_TRUE(projectcolor(triple(0, 1, 1), zero, blue, green, red, 0.0).inside);
    p = projectcolor(triple(0.25, 0.25, 0.25), triple(0.5, 0, 0), blue, green, red, 0.0);
    EXPECT_TRUE(p.a == 0.75 && p.err == 0);  // Q subtracts the offset again
}

TEST(Palette, BrightComesFromThePaperAndFlashIsNoPartOfIt)
{
    EXPECT_EQ((std::array<int, 4>{inkIndex(71), paperIndex(71 | 128), makeAttribute(8, 15), makeAttribute(0, 15)}),
              (std::array{15, 8, 71, 7}));
}

TEST(MixTable, HoldsEveryDefaultSumOnceWithBlackWhereItSays)
{
    EXPECT_EQ(mixTable[blackMix].r + mixTable[blackMix].g + mixTable[blackMix].b, 0);
    for (int i = 0; i < 83; ++i)
        for (int j = i + 1; j < 83; ++j)
            EXPECT_FALSE(mixTable[i].r == mixTable[j].r && mixTable[i].g == mixTable[j].g && mixTable[i].b == mixTable[j].b)
                << i << " " << j;
    for (int c = 0; c < 16; ++c)
        for (int d = 0; d < 16; ++d) {
            bool found = false;
            for (const Mix& m : mixTable)
                found |= m.r == defaultPalR[c] + defaultPalR[d] && m.g == defaultPalG[c] + defaultPalG[d] &&
                         m.b == defaultPalB[c] + defaultPalB[d];
            EXPECT_TRUE(found) << c << "+" << d;
        }
}

}  // namespace dw
