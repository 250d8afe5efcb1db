#pragma once
// For up to boxCapacity colour boxes at once, how far a cell's channel sums
// lie outside each box, squared and added over the channels. The boxes and
// the sums are held in 16 bits, so eight boxes share a register where the
// compiler offers SSE2; plain loops elsewhere, the same numbers either way.

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/colour.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dw {

inline constexpr int boxCapacity = 56;
static_assert(boxCapacity % 8 == 0 && boxCapacity < 64, "whole registers, and a bit each in 64");

// Per box, the least and greatest value of each channel, each within
// 0..boxValueLimit.
inline constexpr int32_t boxValueLimit = 4080;

struct ColourBoxes {
    std::array<int16_t, boxCapacity> lowB{}, lowG{}, lowR{}, highB{}, highG{}, highR{};
};

using BoxDistances = std::array<int32_t, boxCapacity>;

// Sums are clamped to +-boxSumLimit first: beyond it a sum only lies further
// outside every box, so every distance shrinks. Clamped, a distance stays
// below 2^15 and three squares of it below 2^31.
inline constexpr int32_t boxSumLimit = 20000;

inline int16_t clampedSum(int32_t sum) { return static_cast<int16_t>(std::clamp(sum, -boxSumLimit, boxSumLimit)); }

#if defined(__SSE2__)

// How far s lies outside [low, high]; at most one of the two parts is
// positive.
inline __m128i outsideLanes(__m128i s, const int16_t* low, const int16_t* high)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i below = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low)), s);
    const __m128i above = _mm_sub_epi16(s, _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)));
    return _mm_add_epi16(_mm_max_epi16(below, zero), _mm_max_epi16(above, zero));
}

inline void boxDistances(const ColourBoxes& boxes, const Colour& sum, BoxDistances& out)
{
    const __m128i sb = _mm_set1_epi16(clampedSum(sum.b)), sg = _mm_set1_epi16(clampedSum(sum.g)),
                  sr = _mm_set1_epi16(clampedSum(sum.r));
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < boxCapacity; i += 8) {
        const __m128i db = outsideLanes(sb, &boxes.lowB[i], &boxes.highB[i]);
        const __m128i dg = outsideLanes(sg, &boxes.lowG[i], &boxes.highG[i]);
        const __m128i dr = outsideLanes(sr, &boxes.lowR[i], &boxes.highR[i]);
        // Interleaved, a multiply-add gives db^2 + dg^2, and dr^2 beside zeros.
        const __m128i bgLow = _mm_unpacklo_epi16(db, dg), bgHigh = _mm_unpackhi_epi16(db, dg);
        const __m128i rLow = _mm_unpacklo_epi16(dr, zero), rHigh = _mm_unpackhi_epi16(dr, zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&out[i]),
                         _mm_add_epi32(_mm_madd_epi16(bgLow, bgLow), _mm_madd_epi16(rLow, rLow)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&out[i + 4]),
                         _mm_add_epi32(_mm_madd_epi16(bgHigh, bgHigh), _mm_madd_epi16(rHigh, rHigh)));
    }
}

// Bit i set for each of the first `count` distances at most `bar`.
inline uint64_t distancesAtMost(const BoxDistances& d, int32_t bar, int count)
{
    const __m128i above = _mm_set1_epi32(bar);
    uint64_t bits = 0;
    for (int i = 0; i < boxCapacity; i += 4) {
        const __m128i over = _mm_cmpgt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&d[i])), above);
        bits |= static_cast<uint64_t>(~_mm_movemask_ps(_mm_castsi128_ps(over)) & 15) << i;
    }
    return bits & ((uint64_t{1} << count) - 1);
}

#else

inline int32_t outsideBox(int32_t s, int32_t low, int32_t high) { return std::max(low - s, 0) + std::max(s - high, 0); }

inline void boxDistances(const ColourBoxes& boxes, const Colour& sum, BoxDistances& out)
{
    const int32_t sb = clampedSum(sum.b), sg = clampedSum(sum.g), sr = clampedSum(sum.r);
    for (int i = 0; i < boxCapacity; ++i) {
        const int32_t db = outsideBox(sb, boxes.lowB[i], boxes.highB[i]);
        const int32_t dg = outsideBox(sg, boxes.lowG[i], boxes.highG[i]);
        const int32_t dr = outsideBox(sr, boxes.lowR[i], boxes.highR[i]);
        out[i] = db * db + dg * dg + dr * dr;
    }
}

inline uint64_t distancesAtMost(const BoxDistances& d, int32_t bar, int count)
{
    uint64_t bits = 0;
    for (int i = 0; i < count; ++i) bits |= static_cast<uint64_t>(d[i] <= bar) << i;
    return bits;
}

#endif

}  // namespace dw
