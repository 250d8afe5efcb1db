#pragma once
// The standard screen converter: one attribute per 8x8 cell, then every pixel
// by error diffusion or the ordered matrix.

#include "modes/conversion.h"

namespace dw {

// Reads the prepared picture (work planes) and its copy (orig planes); fills
// scr1 bytes 0..6911, chunkLevel1, candColB/G/R and zxBitmap. "Floyd" picks
// error diffusion, "Color projecting" moves each cell onto its two colours.
void conv6912(const Conversion& job);

}  // namespace dw
