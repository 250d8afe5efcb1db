#include "colour/dithering.h"

#include <algorithm>

namespace dw {

const uint8_t ditherMatrix[8][8] = {
    {30, 158, 62, 190, 18, 146, 50, 178},    {222, 94, 254, 126, 210, 82, 242, 114},
    {38, 166, 6, 134, 42, 170, 10, 138},     {230, 102, 198, 70, 234, 106, 202, 74},
    {22, 150, 54, 182, 26, 154, 58, 186},    {214, 86, 246, 118, 218, 90, 250, 122},
    {46, 174, 14, 142, 34, 162, 2, 130},     {238, 110, 206, 78, 226, 98, 194, 66},
};

// |I - P|^2 counts as 1 when the colours coincide.
int inkShareInt(const Colour& q, const Colour& P, const Colour& I)
{
    const int n = std::max(squaredDistance(I, P), 1);
    return clampByte((squaredDistance(P, q) - squaredDistance(I, q)) * 128 / n + 128);
}

Colour projectOntoSegment(const Colour& q, const Colour& C0, const Colour& C1)
{
    const int t = inkShareInt(q, C0, C1);
    return {C0.b + (C1.b - C0.b) * t / 256, C0.g + (C1.g - C0.g) * t / 256, C0.r + (C1.r - C0.r) * t / 256};
}

}  // namespace dw
