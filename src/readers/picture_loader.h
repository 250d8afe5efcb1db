#pragma once
// Decoding a picture file by its name, as the preparation does: the lower-cased
// name is searched for ".png", ".tga", ".jpg" (or ".jpeg"), ".gif", ".bmp" in
// that order; the first match picks the reader. A name with none of them gives
// an empty bitmap and no error.

#include <string>

#include "base/bitmap.h"
#include "base/result.h"

namespace dw {

// Pictures larger than this are refused before any pixel is allocated. The
// fuzz build takes no more than 16384 pixels (128x128, or 16384x1), so that
// each input costs little and the fuzzers explore the formats instead.
inline constexpr int maxPictureSide = 16384;
#ifdef DW_FUZZ_BUILD
inline constexpr long long maxPicturePixels = 128 * 128;
#else
inline constexpr long long maxPicturePixels = 64LL * 1024 * 1024;
#endif

Result<Bitmap> loadPicture(const std::string& name);

// Whether the name picks a reader.
bool namesAPicture(const std::string& name);

}  // namespace dw
