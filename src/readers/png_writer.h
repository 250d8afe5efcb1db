#pragma once
// A bitmap as the bytes of a PNG file: 8-bit RGB, not interlaced. The caller
// writes the bytes wherever they belong.

#include <cstdint>
#include <vector>

#include "base/bitmap.h"

namespace dw {

std::vector<uint8_t> encodePng(const Bitmap& bitmap);

}  // namespace dw
