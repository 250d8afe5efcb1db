// Feeds arbitrary bytes to the BMP reader: it must answer with a picture or an
// error sentence, never crash, hang or read outside the bytes.

#include <cstddef>
#include <cstdint>
#include <span>

#include "readers/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    dw::decodeBmp(std::span<const uint8_t>(data, size));
    return 0;
}
