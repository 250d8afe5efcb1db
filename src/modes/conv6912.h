#pragma once
// The standard screen converter: one attribute per 8x8 cell, then every pixel
// by error diffusion or the ordered matrix.

namespace dw {

class TForm1;

// Reads the prepared picture (work planes) and its copy (orig planes); fills
// scr1 bytes 0..6911, chunkLevel1 and zxBitmap; sets dithOn, retouchOn and
// projectOn from the check boxes.
void conv6912(TForm1& form);

}  // namespace dw
