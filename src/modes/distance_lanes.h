#pragma once
// Squared distances of the eight pixels of an 8x1 cell to one colour, in
// 32-bit lanes: SSE2 registers where the compiler offers them, plain loops
// elsewhere, the same numbers either way. Channels are held in 16 bits, so a
// cell goes into lanes only when every channel lies within +-laneChannelLimit.

#include <array>
#include <cstdint>

#include "base/colour.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dw {

// With channels within +-8000 and colours within 0..510, a channel difference
// stays below 8510, a distance below 3 * 8510^2 and eight of them below 2^31.
inline constexpr int32_t laneChannelLimit = 8000;

// Whether all `count` values lie within +-laneChannelLimit.
inline bool fitsLanes(const int32_t* values, int count)
{
    // Shifted by the limit and taken unsigned, values outside come out above
    // twice the limit.
    uint32_t outside = 0;
    for (int i = 0; i < count; ++i)
        outside |= static_cast<uint32_t>(static_cast<uint32_t>(values[i]) + laneChannelLimit > 2 * laneChannelLimit);
    return outside == 0;
}

#if defined(__SSE2__)

// Four pixels per register: b and g as neighbouring 16-bit halves, r beside a
// zero, so multiplying a difference by itself and adding neighbours gives
// b^2 + g^2 and r^2 per pixel.
struct PixelLanes {
    __m128i bg[2], r[2];
};
struct ColourLanes {
    __m128i bg, r;
};
struct DistanceLanes {
    __m128i half[2];
};

inline __m128i lowHalves(__m128i v) { return _mm_and_si128(v, _mm_set1_epi32(0xFFFF)); }

// Eight pixels from eight values of each channel.
inline PixelLanes pixelLanes(const int32_t* cellB, const int32_t* cellG, const int32_t* cellR)
{
    PixelLanes lanes;
    for (int h = 0; h < 2; ++h) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cellB + 4 * h));
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cellG + 4 * h));
        const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cellR + 4 * h));
        lanes.bg[h] = _mm_or_si128(lowHalves(b), _mm_slli_epi32(g, 16));
        lanes.r[h] = lowHalves(r);
    }
    return lanes;
}

inline ColourLanes colourLanes(const Colour& c)
{
    const uint32_t bg = static_cast<uint16_t>(c.b) | static_cast<uint32_t>(static_cast<uint16_t>(c.g)) << 16;
    return {_mm_set1_epi32(static_cast<int32_t>(bg)), _mm_set1_epi32(static_cast<uint16_t>(c.r))};
}

inline DistanceLanes distanceLanes(const ColourLanes& colour, const PixelLanes& pixels)
{
    DistanceLanes d;
    for (int h = 0; h < 2; ++h) {
        const __m128i bg = _mm_sub_epi16(colour.bg, pixels.bg[h]), r = _mm_sub_epi16(colour.r, pixels.r[h]);
        d.half[h] = _mm_add_epi32(_mm_madd_epi16(bg, bg), _mm_madd_epi16(r, r));
    }
    return d;
}

inline DistanceLanes minLanes(const DistanceLanes& a, const DistanceLanes& b)
{
    DistanceLanes m;
    for (int h = 0; h < 2; ++h) {
        const __m128i aAbove = _mm_cmpgt_epi32(a.half[h], b.half[h]);
        m.half[h] = _mm_or_si128(_mm_and_si128(aAbove, b.half[h]), _mm_andnot_si128(aAbove, a.half[h]));
    }
    return m;
}

inline int32_t laneTotal(const DistanceLanes& d)
{
    const __m128i four = _mm_add_epi32(d.half[0], d.half[1]);
    const __m128i two = _mm_add_epi32(four, _mm_shuffle_epi32(four, _MM_SHUFFLE(1, 0, 3, 2)));
    return _mm_cvtsi128_si32(_mm_add_epi32(two, _mm_shuffle_epi32(two, _MM_SHUFFLE(2, 3, 0, 1))));
}

#else

struct PixelLanes {
    std::array<int32_t, 8> b, g, r;
};
struct ColourLanes {
    Colour c;
};
struct DistanceLanes {
    std::array<int32_t, 8> d{};
};

inline PixelLanes pixelLanes(const int32_t* cellB, const int32_t* cellG, const int32_t* cellR)
{
    PixelLanes lanes;
    for (int i = 0; i < 8; ++i) lanes.b[i] = cellB[i], lanes.g[i] = cellG[i], lanes.r[i] = cellR[i];
    return lanes;
}
inline ColourLanes colourLanes(const Colour& c) { return {c}; }

inline DistanceLanes distanceLanes(const ColourLanes& colour, const PixelLanes& pixels)
{
    DistanceLanes d;
    for (int i = 0; i < 8; ++i) {
        const int32_t db = colour.c.b - pixels.b[i], dg = colour.c.g - pixels.g[i], dr = colour.c.r - pixels.r[i];
        d.d[i] = db * db + dg * dg + dr * dr;
    }
    return d;
}

inline DistanceLanes minLanes(DistanceLanes a, const DistanceLanes& b)
{
    for (int i = 0; i < 8; ++i) a.d[i] = b.d[i] < a.d[i] ? b.d[i] : a.d[i];
    return a;
}

inline int32_t laneTotal(const DistanceLanes& d)
{
    int32_t sum = 0;
    for (int32_t x : d.d) sum += x;
    return sum;
}

#endif

}  // namespace dw
