#pragma once
// Eight signed 16-bit lanes, one per pixel of an 8x1 cell: SSE2 registers
// where the compiler offers them, plain loops elsewhere, the same numbers
// either way.

#include <algorithm>
#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dw {

using LaneRow = std::array<int16_t, 8>;

#if defined(__SSE2__)

struct Lanes {
    __m128i v;
};

inline Lanes loadLanes(const LaneRow& row) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(row.data()))}; }
inline Lanes splatLanes(int16_t x) { return {_mm_set1_epi16(x)}; }
inline Lanes minLanes(Lanes a, Lanes b) { return {_mm_min_epi16(a.v, b.v)}; }
inline Lanes addSaturated(Lanes a, Lanes b) { return {_mm_adds_epi16(a.v, b.v)}; }
inline LaneRow storeLanes(Lanes a)
{
    LaneRow row;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row.data()), a.v);
    return row;
}

// count[i] + weight for every a[i] <= limit[i].
inline Lanes addWhereAtMost(Lanes count, Lanes a, Lanes limit, int16_t weight)
{
    return {_mm_add_epi16(count.v, _mm_andnot_si128(_mm_cmpgt_epi16(a.v, limit.v), _mm_set1_epi16(weight)))};
}

inline bool anyLaneEquals(Lanes a, int16_t x) { return _mm_movemask_epi8(_mm_cmpeq_epi16(a.v, _mm_set1_epi16(x))) != 0; }

// Exact for any lanes: the pairs are summed in 32 bits.
inline int32_t laneSum(Lanes a)
{
    __m128i sums = _mm_madd_epi16(a.v, _mm_set1_epi16(1));
    sums = _mm_add_epi32(sums, _mm_shuffle_epi32(sums, _MM_SHUFFLE(1, 0, 3, 2)));
    sums = _mm_add_epi32(sums, _mm_shuffle_epi32(sums, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sums);
}

// Lane sums of four rows, exact for any lanes.
inline std::array<int32_t, 4> laneSums(Lanes a, Lanes b, Lanes c, Lanes d)
{
    const __m128i one = _mm_set1_epi16(1);
    const __m128i pa = _mm_madd_epi16(a.v, one), pb = _mm_madd_epi16(b.v, one);
    const __m128i pc = _mm_madd_epi16(c.v, one), pd = _mm_madd_epi16(d.v, one);
    const __m128i ab = _mm_add_epi32(_mm_unpacklo_epi32(pa, pb), _mm_unpackhi_epi32(pa, pb));
    const __m128i cd = _mm_add_epi32(_mm_unpacklo_epi32(pc, pd), _mm_unpackhi_epi32(pc, pd));
    std::array<int32_t, 4> sums;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.data()),
                     _mm_add_epi32(_mm_unpacklo_epi64(ab, cd), _mm_unpackhi_epi64(ab, cd)));
    return sums;
}

#else

struct Lanes {
    LaneRow v;
};

inline Lanes loadLanes(const LaneRow& row) { return {row}; }
inline Lanes splatLanes(int16_t x)
{
    Lanes a;
    a.v.fill(x);
    return a;
}
inline Lanes minLanes(Lanes a, Lanes b)
{
    for (int i = 0; i < 8; ++i) a.v[i] = b.v[i] < a.v[i] ? b.v[i] : a.v[i];
    return a;
}
inline Lanes addSaturated(Lanes a, Lanes b)
{
    for (int i = 0; i < 8; ++i) a.v[i] = static_cast<int16_t>(std::clamp(a.v[i] + b.v[i], -32768, 32767));
    return a;
}
inline LaneRow storeLanes(Lanes a) { return a.v; }

inline Lanes addWhereAtMost(Lanes count, Lanes a, Lanes limit, int16_t weight)
{
    for (int i = 0; i < 8; ++i)
        if (a.v[i] <= limit.v[i]) count.v[i] = static_cast<int16_t>(count.v[i] + weight);
    return count;
}

inline bool anyLaneEquals(Lanes a, int16_t x) { return std::find(a.v.begin(), a.v.end(), x) != a.v.end(); }

inline std::array<int32_t, 4> laneSums(Lanes a, Lanes b, Lanes c, Lanes d)
{
    std::array<int32_t, 4> sums{};
    for (int i = 0; i < 8; ++i) {
        sums[0] += a.v[i];
        sums[1] += b.v[i];
        sums[2] += c.v[i];
        sums[3] += d.v[i];
    }
    return sums;
}

inline int32_t laneSum(Lanes a)
{
    int32_t sum = 0;
    for (int16_t x : storeLanes(a)) sum += x;
    return sum;
}

#endif

}  // namespace dw
