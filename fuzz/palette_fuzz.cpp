// Any bytes read as a palette file fill all 16 entries of each palette with
// half a byte value, whatever their length.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "picture/palette_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    dw::PaletteTable b, g, r;
    b.fill(-1);
    g.fill(-1);
    r.fill(-1);
    dw::readPaletteBytes(std::span<const uint8_t>(data, size), b, g, r);
    for (int k = 0; k < 16; ++k)
        if (b[k] < 0 || b[k] > 127 || g[k] < 0 || g[k] > 127 || r[k] < 0 || r[k] > 127) std::abort();
    if (size >= 3 && (r[0] != data[0] / 2 || g[0] != data[1] / 2 || b[0] != data[2] / 2)) std::abort();
    return 0;
}
