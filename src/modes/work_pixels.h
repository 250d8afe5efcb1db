#pragma once
// What every converter reads and writes pixel by pixel: palette colours, the
// working planes, and squared distances wide enough for diffused values.

#include <cstdint>

#include "base/colour.h"
#include "colour/palette.h"
#include "modes/conversion.h"

namespace dw {

inline Colour paletteColourOf(const Conversion& job, int index)
{
    return paletteColour(job.palette.palB, job.palette.palG, job.palette.palR, index);
}

inline Colour workPixel(const Conversion& job, int x, int y)
{
    return {job.picture.workB[y][x], job.picture.workG[y][x], job.picture.workR[y][x]};
}

inline void addToWork(const Conversion& job, int x, int y, const Colour& c)
{
    job.picture.workB[y][x] += c.b;
    job.picture.workG[y][x] += c.g;
    job.picture.workR[y][x] += c.r;
}

inline int64_t squaredDistance64(const Colour& a, const Colour& b)
{
    const int64_t db = a.b - b.b, dg = a.g - b.g, dr = a.r - b.r;
    return db * db + dg * dg + dr * dr;
}

}  // namespace dw
