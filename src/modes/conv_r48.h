#pragma once
// The R48-Mode converter: one colour per 8x1 cell on black paper, each pixel
// row tied to red, green or blue (y mod 3 = 0, 1, 2); every cell takes its
// row's primary or the complement of it.

#include <cstdint>

#include "modes/conversion.h"

namespace dw {

// Row by row: chooses each cell's colour from the carried error and the
// picture, clamps the row to 0..255 (drawn into modelBitmap), then renders
// it with error diffusion. Fills scr1 bytes 0..6143 (plain line order),
// rmExtra block 0 bytes 0..6143 (64 + colour per cell), cellColB/G/R slots
// 0 and 1 and zxBitmap, and rewrites the work planes.
void convR48Mode(const Conversion& job);

// Full level of a palette entry: four times the half-intensity entry, at
// most 255 (a palette file can hold entries up to 127).
constexpr int32_t r48FullLevel(int32_t entry) { return 4 * entry > 255 ? 255 : 4 * entry; }

}  // namespace dw
