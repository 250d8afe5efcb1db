#pragma once
// Spectrum colour numbers 0..15 (bit 0 blue, bit 1 red, bit 2 green, bit 3
// bright), attribute bytes and the palette tables. Palette entries are half
// intensities: a single-screen colour is twice an entry, a two-screen mix the
// sum of two entries, both on the 0..255 scale of the picture.

#include <array>
#include <cstdint>

#include "base/colour.h"

namespace dw {

using PaletteTable = std::array<int32_t, 16>;

inline constexpr PaletteTable defaultPalB = {0, 63, 0, 63, 0, 63, 0, 63, 0, 126, 0, 126, 0, 126, 0, 126};
inline constexpr PaletteTable defaultPalG = {0, 0, 0, 0, 63, 63, 63, 63, 0, 0, 0, 0, 126, 126, 126, 126};
inline constexpr PaletteTable defaultPalR = {0, 0, 63, 63, 0, 0, 63, 63, 0, 0, 126, 126, 0, 0, 126, 126};

// Ink colour plus 8 when the bright bit is set.
constexpr int inkIndex(uint8_t attribute) { return (attribute & 7) + ((attribute & 64) >> 3); }
// Bits 3..6: paper colour plus 8 when bright.
constexpr int paperIndex(uint8_t attribute) { return (attribute & 0x78) >> 3; }
// The bright bit comes from the paper index.
constexpr uint8_t makeAttribute(int paper, int ink) { return static_cast<uint8_t>((ink & 7) + 8 * paper); }

inline Colour paletteColour(const PaletteTable& palB, const PaletteTable& palG, const PaletteTable& palR, int k)
{
    return {palB[k], palG[k], palR[k]};
}

inline Colour doubled(const Colour& c) { return {2 * c.b, 2 * c.g, 2 * c.r}; }
inline Colour operator+(const Colour& a, const Colour& c) { return {a.b + c.b, a.g + c.g, a.r + c.r}; }

}  // namespace dw
