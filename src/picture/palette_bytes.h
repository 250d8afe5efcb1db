#pragma once
// The bytes of a palette file (".act"): red, green, blue triples with no
// header. The first 16 triples become the converter's palette at half their
// value.

#include <cstddef>
#include <cstdint>
#include <span>

#include "colour/palette.h"

namespace dw {

inline constexpr size_t paletteFileBytes = 48;  // 16 entries of red, green, blue

// Fills the three palettes from the first 48 bytes of `bytes`. Each
// component is read through a holder that starts at 0; where the bytes run
// out the holder keeps the last byte read, so a short file repeats its last
// red, green and blue and an empty one gives black.
void readPaletteBytes(std::span<const uint8_t> bytes, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR);

}  // namespace dw
