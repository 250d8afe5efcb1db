#pragma once
// The twelve colour solids of the R-Mode converter and the projection of one
// pixel onto all of them. Each projection gives exactly the numbers
// projectcolor gives for the solid's colours; the arithmetic that the
// solids' fixed 0/1 colours make pointless is left out.

#include <array>
#include <cstdint>

#include "colour/helpers.h"

namespace dw::rmode {

enum ColourNumber { black = 0, blue = 1, red = 2, magenta = 3, green = 4, cyan = 5, yellow = 6, white = 7 };

// A colour solid: X = a*A + b*B + c*C, plus the white layer fully on when
// whiteOn is set.
struct Solid {
    int A, B, C;
    bool whiteOn;
};

// S1..S12 at indices 0..11.
enum SolidIndex { S1, S2, S3, S4, S5, S6, S7, S8, S9, S10, S11, S12, solidCount };

inline constexpr Solid solids[solidCount] = {
    {white, magenta, yellow, false}, {white, yellow, cyan, false},  {white, cyan, magenta, false},
    {cyan, magenta, yellow, true},   {magenta, red, yellow, true},  {red, yellow, green, true},
    {white, magenta, red, false},    {white, red, yellow, false},   {white, yellow, green, false},
    {white, green, cyan, false},     {white, cyan, blue, false},    {white, blue, magenta, false},
};

// A pixel's target X = work value * 1.5 / 255 (blue, green, red), the
// target of the solids with the white layer on, X less white, and the
// length of X, which only a kcolerr other than 0 reads.
struct SolidTarget {
    Triple X, lessWhite;
    double normX = 0;
};

SolidTarget solidTarget(int32_t b, int32_t g, int32_t r, double kcolerr);

using PixelProjections = std::array<Projection, solidCount>;

// projectcolor(X, T, A, B, C, kcolerr) of solid k, T = -white for the solids
// with the white layer on and 0 for the others.
void projectOnSolid(int k, const SolidTarget& target, double kcolerr, Projection& out);

}  // namespace dw::rmode
