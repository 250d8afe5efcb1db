#pragma once
// A bitmap as the bytes of a 24-bit Windows BMP file: bottom-up rows of blue,
// green, red, each padded to a multiple of four bytes. The caller writes the
// bytes wherever they belong.

#include <cstdint>
#include <vector>

#include "base/bitmap.h"

namespace dw {

std::vector<uint8_t> encodeBmp24(const Bitmap& bitmap);

}  // namespace dw
