// Tie rules and edge values of the small helpers: a wrong tie here changes
// which colour every converter picks.

#include <gtest/gtest.h>

#include <cmath>

#include "colour/helpers.h"
#include "colour/mix_table.h"
#include "colour/palette.h"

namespace dw {
namespace {

TEST(Zxline, SwapsRowBitsAndIsItsOwnInverse)
{
    EXPECT_EQ(zxline(0), 0);
    EXPECT_EQ(zxline(1), 8);
    EXPECT_EQ(zxline(8), 1);
    EXPECT_EQ(zxline(63), 63);
    EXPECT_EQ(zxline(64), 64);
    EXPECT_EQ(zxline(191), 191);
    for (int y = 0; y < 192; ++y) EXPECT_EQ(zxline(zxline(y)), y);
}

TEST(ArgMin, TiesGoToTheSecondOfTwoButNotToTheLaterTwo)
{
    EXPECT_EQ(argmin2(7, 7), 1);
    EXPECT_EQ(argmin2(6, 7), 0);
    EXPECT_EQ(argmin4(5, 5, 5, 5), 1);
    EXPECT_EQ(argmin4(3, 4, 3, 3), 0);
    EXPECT_EQ(argmin4(4, 4, 2, 2), 2);
    EXPECT_EQ(argmin4(9, 8, 7, 6), 3);
}

TEST(MinFloat, TiesPickTheDocumentedArgument)
{
    // Distinguish equal values by the sign of zero.
    EXPECT_TRUE(std::signbit(min2f(0.0, -0.0)) == true);   // second on ties
    EXPECT_TRUE(std::signbit(min3f(-0.0, 0.0, 0.0)) == true);  // earliest on ties
    EXPECT_TRUE(std::signbit(min3f(0.0, -0.0, 0.0)) == false);
    EXPECT_EQ(min3f(3, 2, 1), 1);
    EXPECT_EQ(min5(5, 4, 3, 2, 1), 1);
    EXPECT_EQ(min3(2, -1, 0), -1);
    EXPECT_EQ(minb(200, 100), 100);
    EXPECT_EQ(maxb(200, 100), 200);
}

TEST(Tobyte, RoundsAndClampsAtTheEdges)
{
    EXPECT_EQ(tobyte(-0.1), 0);
    EXPECT_EQ(tobyte(0.0), 0);
    EXPECT_EQ(tobyte(0.5), 128);
    EXPECT_EQ(tobyte(1.0), 255);
    EXPECT_EQ(tobyte(1.2), 255);
    // 255.4 * 0.001 = 0.2554: +0.5 truncates to 0; 0.002 -> 0.5108 + 0.5 -> 1
    EXPECT_EQ(tobyte(0.001), 0);
    EXPECT_EQ(tobyte(0.002), 1);
}

TEST(Det3, EvaluatesTheDeterminant)
{
    EXPECT_EQ(det3(1, 0, 0, 0, 1, 0, 0, 0, 1), 1);
    EXPECT_EQ(det3(2, 0, 0, 0, 3, 0, 0, 0, 4), 24);
    EXPECT_EQ(det3(1, 2, 3, 4, 5, 6, 7, 8, 9), 0);
    EXPECT_EQ(det3(0, 1, 0, 1, 0, 0, 0, 0, 1), -1);
}

Triple triple(double a, double b, double c) { return Triple{{a, b, c}}; }

TEST(Projectcolor, UnitAxesGiveTheClampedTarget)
{
    const Triple blue = triple(1, 0, 0), green = triple(0, 1, 0), red = triple(0, 0, 1), zero;
    Projection p = projectcolor(triple(0.25, 0.5, 0.75), zero, blue, green, red, 0.0);
    EXPECT_TRUE(p.inside);
    EXPECT_DOUBLE_EQ(p.a, 0.25);
    EXPECT_DOUBLE_EQ(p.b, 0.5);
    EXPECT_DOUBLE_EQ(p.c, 0.75);
    EXPECT_EQ(p.err, 0);

    p = projectcolor(triple(1.5, -0.5, 1.0), zero, blue, green, red, 0.0);
    EXPECT_FALSE(p.inside);
    EXPECT_EQ(p.a, 1.0);
    EXPECT_EQ(p.b, 0.0);
    EXPECT_EQ(p.c, 1.0);
    EXPECT_DOUBLE_EQ(p.err, 0.25 + 0.25);
}

TEST(Projectcolor, BoundsAreInclusive)
{
    const Triple blue = triple(1, 0, 0), green = triple(0, 1, 0), red = triple(0, 0, 1), zero;
    EXPECT_TRUE(projectcolor(triple(0, 1, 1), zero, blue, green, red, 0.0).inside);
}

TEST(Projectcolor, OffsetShiftsTheTarget)
{
    const Triple blue = triple(1, 0, 0), green = triple(0, 1, 0), red = triple(0, 0, 1);
    Projection p = projectcolor(triple(0.25, 0.25, 0.25), triple(0.5, 0, 0), blue, green, red, 0.0);
    EXPECT_DOUBLE_EQ(p.a, 0.75);
    EXPECT_EQ(p.err, 0);  // Q subtracts the offset again
}

TEST(Projectcolor, DegenerateSetTakesBFromTheLastPositiveComponentOfA)
{
    // Yellow = red + green: the three colours lie in one plane.
    const Triple red = triple(0, 0, 1), green = triple(0, 1, 0), yellow = triple(0, 1, 1);
    Projection p = projectcolor(triple(0, 0.5, 0.25), Triple{}, yellow, red, green, 0.0);
    EXPECT_FALSE(p.inside);
    EXPECT_EQ(p.a, 0);
    EXPECT_EQ(p.c, 0);
    // A = yellow: green component gives 0.5, then red component 0.25 overrides.
    EXPECT_DOUBLE_EQ(p.b, 0.25);
    // Q = 0.25 * red = (0, 0, 0.25); error (0.5)^2 in green.
    EXPECT_DOUBLE_EQ(p.err, 0.25);
}

TEST(Projectcolor, KcolerrPenalisesOnlyDarkerApproximations)
{
    const Triple blue = triple(1, 0, 0), green = triple(0, 1, 0), red = triple(0, 0, 1);
    // X = (2, 0, 0) clamps to Q = (1, 0, 0): error 1, Q shorter by 1.
    EXPECT_DOUBLE_EQ(projectcolor(triple(2, 0, 0), Triple{}, blue, green, red, 0.5).err, 1.0 + 0.5);
    EXPECT_DOUBLE_EQ(projectcolor(triple(2, 0, 0), Triple{}, blue, green, red, 0.0).err, 1.0);
    // X = 0 shifted by T = (-0.5, 0, 0): a clamps to 0, Q = -T = (0.5, 0, 0) is
    // longer than X, so no penalty is added.
    EXPECT_DOUBLE_EQ(projectcolor(Triple{}, triple(-0.5, 0, 0), blue, green, red, 10.0).err, 0.25);
}

TEST(Palette, DefaultsAndAttributes)
{
    EXPECT_EQ(defaultPalR[2], 63);
    EXPECT_EQ(defaultPalR[10], 126);
    EXPECT_EQ(defaultPalB[2], 0);
    EXPECT_EQ(defaultPalB[8] + defaultPalG[8] + defaultPalR[8], 0);
    EXPECT_EQ(inkIndex(71), 15);
    EXPECT_EQ(paperIndex(71), 8);
    EXPECT_EQ(paperIndex(71 | 128), 8);  // flash is not part of the paper
    EXPECT_EQ(makeAttribute(8, 15), 71);
    EXPECT_EQ(makeAttribute(0, 15), 7);  // bright comes from the paper alone
}

TEST(MixTable, HoldsEveryDefaultSumOnceInTheFixedOrder)
{
    EXPECT_EQ(mixTable[0].r, 0);
    EXPECT_EQ(mixTable[0].g, 63);
    EXPECT_EQ(mixTable[0].b, 126);
    EXPECT_EQ(mixTable[30].r, 0);
    EXPECT_EQ(mixTable[30].g, 0);
    EXPECT_EQ(mixTable[30].b, 63);
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

}  // namespace
}  // namespace dw
