#pragma once
// The MCX converter: two multicolor screens shown on alternate frames, so a
// pixel shows one of the four mixes of its 8x1 cell's two attribute pairs.
// Cells pick colour quadruples from the records of gigaTab line by line, with
// the column-pair ranking of the multicolor converter.

#include "modes/conversion.h"

namespace dw {

// Reads the work planes (and diffuses error into them), the palette, gigaTab
// and the settings; fills scr1 and scr2 (bitmap bytes 0..6143, attributes
// 6144..12287, both in plain line order) and zxBitmap. Record errors are
// measured against the fixed mixes of mixTable, everything else against the
// current palette.
void convMCX(const Conversion& job);

}  // namespace dw
