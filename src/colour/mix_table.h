#pragma once
// The 83 distinct sums of two default palette entries, in red, green, blue
// order. Gigascreen and MCX records index their four mixes into this table.

#include <array>
#include <cstdint>

namespace dw {

struct Mix {
    uint8_t r, g, b;
};

inline constexpr int blackMix = 78;

const std::array<Mix, 83>& mixTable();

}  // namespace dw
