#pragma once
// The compressed gigascreen code: each 8x2 strip (one byte column of pixel
// lines 2p and 2p+1) becomes one byte that keeps only the ink count of each of
// its four 2x2 blocks, through the tables read at start-up.
//
// Image layout (7680 bytes): for each byte column c = 0..31 (outer) and line
// pair p = 0..95 (inner), the code of screen 1's strip then screen 2's; then
// for each column c = 0..31 (outer) and cell row r = 0..23 (inner), screen 1's
// attribute of cell (r, c) then screen 2's.

#include <array>
#include <cstdint>

#include "base/screen.h"

namespace dw {

using EmgImage = std::array<uint8_t, 7680>;
using CodeTable = std::array<uint8_t, 625>;
using DecoTable = std::array<std::array<uint8_t, 256>, 2>;

// Ink count (0..4) of 2x2 block j (0 = leftmost) of the strip with upper byte
// u and lower byte v.
int blockInkCount(uint8_t u, uint8_t v, int j);
// 125*d0 + 25*d1 + 5*d2 + d3 over the four block counts: 0..624.
int stripNumber(uint8_t u, uint8_t v);

// Assembles the image of a gigascreen pair (bitmaps in Spectrum line order,
// standard attribute areas).
void packEmg(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const CodeTable& codeTab, EmgImage& emgBuf);
// Decodes an image back into the bitmaps and standard attribute areas of the
// two screens; other bytes of the screens are left alone.
void unpackEmg(const EmgImage& emgBuf, const DecoTable& decoTab, ScreenBuffer& scr1, ScreenBuffer& scr2);

}  // namespace dw
