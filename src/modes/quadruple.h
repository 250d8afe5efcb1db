#pragma once
// The two attribute pairs of a two-screen cell and the four colours they mix,
// as the gigascreen and MCX converters share them.

#include <array>
#include <cstdint>

#include "colour/palette.h"
#include "modes/conversion.h"

namespace dw {

// Colour numbers: paper and ink of screen 1, then of screen 2.
struct Quadruple {
    int p1 = 0, i1 = 0, p2 = 0, i2 = 0;
};

inline Quadruple quadrupleOf(uint8_t attribute1, uint8_t attribute2)
{
    return {paperIndex(attribute1), inkIndex(attribute1), paperIndex(attribute2), inkIndex(attribute2)};
}

// Slot i shows screen 1's ink when bit 0 of i is set, screen 2's when bit 1 is.
inline std::array<Colour, 4> mixesOf(const Palette& palette, const Quadruple& q)
{
    auto pal = [&](int k) { return paletteColour(palette.palB, palette.palG, palette.palR, k); };
    return {pal(q.p1) + pal(q.p2), pal(q.i1) + pal(q.p2), pal(q.p1) + pal(q.i2), pal(q.i1) + pal(q.i2)};
}

}  // namespace dw
