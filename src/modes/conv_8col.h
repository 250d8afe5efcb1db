#pragma once
// The eight-colour converter: three one-bit planes, one per channel, so that
// every pixel may take any of the eight full colours.

#include "modes/conversion.h"

namespace dw {

// Reads the work planes and diffuses each channel's error into them on its
// own; fills scr1 bytes 0..6143 (blue plane), 6144..12287 (red plane), scr2
// bytes 0..6143 (green plane), all in Spectrum line order, and zxBitmap.
void conv8col(const Conversion& job);

}  // namespace dw
