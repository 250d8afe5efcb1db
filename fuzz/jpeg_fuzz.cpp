// Feeds arbitrary bytes to the JPEG reader: it must answer with a picture or an
// error sentence, never crash, hang or read outside the bytes.

#include <cstddef>
#include <cstdint>
#include <span>

#include "readers/jpeg_adapter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    dw::decodeJpeg(std::span<const uint8_t>(data, size));
    return 0;
}
