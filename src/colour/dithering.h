#pragma once
// The pieces every converter uses to turn a cell's two colours into pixels:
// ink shares, the ordered-dither matrix, the dithering band, error shares
// and colour projecting.

#include <cstdint>

#include "base/colour.h"
#include "base/plane.h"

namespace dw {

// Entries 4k + 2, k = 0..63; indexed [x & chunkMask][y & chunkMask].
extern const uint8_t ditherMatrix[8][8];

// Inline: the converters call these for every pixel.
inline int squaredDistance(const Colour& a, const Colour& b)
{
    const int db = a.b - b.b, dg = a.g - b.g, dr = a.r - b.r;
    return db * db + dg * dg + dr * dr;
}
inline int clampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
inline Colour clampColour(const Colour& c) { return {clampByte(c.b), clampByte(c.g), clampByte(c.r)}; }

// Position of q between P (0) and I (256) as colour projecting takes it,
// truncated toward zero and clamped to 0..255.
int inkShareInt(const Colour& q, const Colour& P, const Colour& I);

struct DitherBand {
    uint8_t lo = 0, hi = 255;
};

// A channel after the dithering band: above hi it is full, then below lo off.
constexpr int32_t bandedChannel(int32_t v, uint8_t lo, uint8_t hi)
{
    if (v > hi) v = 255;
    if (v < lo) v = 0;
    return v;
}

// Spreads the error e of pixel (x, y): 1/2 right, 1/4 below, 1/8 below-left
// and 1/8 below-right, each share truncated toward zero.
inline void diffuseHalfQuarterEighths(Plane& plane, int x, int y, int32_t e)
{
    plane[y][x + 1] += e / 2;
    plane[y + 1][x] += e / 4;
    plane[y + 1][x - 1] += e / 8;
    plane[y + 1][x + 1] += e / 8;
}

// (k * e) / 2^shift, truncated toward zero.
constexpr int errorShare(int e, int k, int shift) { return (k * e) / (1 << shift); }

// Moves q onto the segment from C0 to C1.
Colour projectOntoSegment(const Colour& q, const Colour& C0, const Colour& C1);

}  // namespace dw
