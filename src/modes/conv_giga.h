#pragma once
// Gigascreen: two standard screens shown on alternate frames, so that every
// pixel shows one of the four mixes of its cell, (paper or ink of screen 1) +
// (paper or ink of screen 2).

#include "modes/conversion.h"

namespace dw {

// Chooses both screens' attributes per cell from the quadruples of gigaTab,
// projects every pixel of origB/G/R (and the working planes) onto the plane of
// its cell's mixes, then sets the pixels of scr1 and scr2 by error diffusion
// ("Floyd") or by the shifted ordered thresholds. Leaves the ink shares in
// chunkLevel1/2 for the brush and the shown mixes in zxBitmap. Always works
// in the default palette, whatever the conversion holds.
void convGiga(const Conversion& job);

}  // namespace dw
