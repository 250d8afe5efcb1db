// Feeds arbitrary bytes to the GIF reader: it must answer with a picture or an
// error sentence, never crash, hang or read outside the bytes.

#include <cstddef>
#include <cstdint>
#include <span>

#include "readers/gif_adapter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const dw::Result<dw::Bitmap> picture = dw::decodeGif(std::span<const uint8_t>(data, size));
    // A picture has pixels; a failure has its sentence.
    if (picture ? picture->empty() : picture.error().empty()) __builtin_trap();
    return 0;
}
