#pragma once
// The R-Mode converter. Every 8x8 cell carries four colour layers, the
// fourth always white and the other three one of seven colour sets; odd
// pixel rows show layers 1 and 2, even rows layers 3 and 4, each through its
// own bitmap bit.

#include "modes/conversion.h"

namespace dw {

// Pass 1 picks each cell's colour set and every pixel's four layer
// intensities (rmAux1..rmAux4), replaces the work planes with the layer mix
// and draws modelBitmap, layer1Bitmap and layer2Bitmap. Pass 2 matches the
// mix to the four colours each row can show, with error diffusion, filling
// scr1 and scr2 bytes 0..6143 (plain line order), bytes 0..767 of the four
// rmExtra blocks and zxBitmap. Reads "R-Mode noise" once.
void convRMode(const Conversion& job);

// Preview brightness of a layer sum: 0 for v <= 0.5, otherwise
// 16 * sqrt(v) rounded to nearest, at most 255.
int sqrtScale(double v);

}  // namespace dw
