#include "picture/palette_bytes.h"

#include <array>

namespace dw {

void readPaletteBytes(std::span<const uint8_t> bytes, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR)
{
    std::array<uint8_t, 3> holders{};  // red, green, blue
    size_t next = 0;
    for (size_t entry = 0; entry < palR.size(); ++entry) {
        for (uint8_t& holder : holders) {
            if (next < bytes.size()) holder = bytes[next];
            ++next;
        }
        palR[entry] = holders[0] / 2;
        palG[entry] = holders[1] / 2;
        palB[entry] = holders[2] / 2;
    }
}

}  // namespace dw
