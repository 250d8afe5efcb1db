#pragma once
// The multicolor converter: an attribute for every 8x1 cell, chosen line by
// line. Each line weighs keeping the attribute of the cell above against the
// best new one, and the column pairs that gain most are rendered first.

#include <array>
#include <cstdint>

#include "base/colour.h"
#include "modes/conversion.h"

namespace dw {

// Reads the work planes (and diffuses error into them), the palette and the
// settings; fills scr1 bytes 0..6143 with the bitmap and scr2 bytes 0..6143
// with the attributes, both in plain line order, and zxBitmap.
void convMC(const Conversion& job);

// ---- Shared with the MCX converter -----------------------------------------

inline constexpr int columnPairs = 16;

// On every eighth line any new colouring may be taken.
inline constexpr int64_t freeSearchThreshold = 1000000000;

// The error a new colouring of a cell on line y must beat strictly: the free
// search threshold on lines 0, 8, 16, ..., otherwise keepError * mcLevel
// formed in extended precision and truncated toward zero (saturating far
// beyond any reachable error).
int64_t lineThreshold(int y, int64_t keepError, double mcLevel);

// Column pairs (columns 2k and 2k + 1) in rendering order: largest
// (keep errors + 1000) / (new errors + 1000) first, the higher pair on ties.
std::array<int, columnPairs> rankColumnPairs(const std::array<int64_t, 32>& keepError,
                                             const std::array<int64_t, 32>& newError);

// The eight working pixels of the 8x1 cell in column j of line y.
using LineCell = std::array<Colour, 8>;
LineCell readLineCell(const Conversion& job, int j, int y);
// Per component, truncated toward zero.
Colour lineCellMean(const LineCell& pixels);

// The working pixel (x, y) as rendering sees it: a channel above dithHi
// becomes 255, then one below dithLo becomes 0.
Colour bandLimitedPixel(const Conversion& job, int x, int y);

}  // namespace dw
