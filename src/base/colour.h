#pragma once
// A colour triple in the order used everywhere: blue, green, red.

#include <cstdint>

namespace dw {

struct Colour {
    int32_t b = 0, g = 0, r = 0;
    bool operator==(const Colour&) const = default;
};

// Packed for a preview bitmap: red + 256*green + 65536*blue.
inline uint32_t packColour(const Colour& c)
{
    return static_cast<uint32_t>(c.r) + 256u * static_cast<uint32_t>(c.g) + 65536u * static_cast<uint32_t>(c.b);
}

}  // namespace dw
