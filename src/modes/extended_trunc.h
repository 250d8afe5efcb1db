#pragma once
// Trunc of an extended-precision value without switching the x87 rounding
// mode, which a plain conversion does twice and which dominates loops of
// them; the same integer as static_cast for every value it accepts.

#include <cfloat>
#include <cstdint>
#include <cstring>

namespace dw {

inline int64_t truncExtended(long double x)
{
#if LDBL_MANT_DIG == 64 && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // 1.5 * 2^63: for |x| < 2^61 the sum lies within [2^63, 2^64), where the
    // unit in the last place is 1, so it rounds x to a neighbouring integer,
    // held exactly in the low bits of the significand, and subtracting the
    // shift back is exact; one step toward zero then gives Trunc(x).
    constexpr long double shift = 0x1.8p63L;
    if (x > -0x1p61L && x < 0x1p61L) {
        const long double sum = x + shift;
        uint64_t significand;
        std::memcpy(&significand, &sum, sizeof significand);
        const int64_t rounded = static_cast<int64_t>(significand - 0xC000000000000000u);
        const long double back = sum - shift;
        if (x >= 0) return back > x ? rounded - 1 : rounded;
        return back < x ? rounded + 1 : rounded;
    }
#endif
    return static_cast<int64_t>(x);
}

}  // namespace dw
