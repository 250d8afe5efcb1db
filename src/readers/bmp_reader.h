#pragma once
// BMP pictures: file bytes in, a 24-bit bitmap out, or one sentence saying
// why the bytes are not a picture this reader can show.

#include <cstdint>
#include <span>

#include "readers/picture_loader.h"

namespace dw {

Result<Bitmap> decodeBmp(std::span<const uint8_t> bytes);

}  // namespace dw
