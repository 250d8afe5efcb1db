#pragma once
// What every converter reads and writes pixel by pixel: palette colours, the
// working planes, and squared distances wide enough for diffused values.

#include <cstdint>

#include "colour/colour.h"
#include "colour/palette.h"
#include "core/form.h"

namespace dw {

inline Colour paletteColourOf(const TForm1& form, int index)
{
    return paletteColour(form.palB, form.palG, form.palR, index);
}

inline Colour workPixel(const TForm1& form, int x, int y) { return {form.workB[y][x], form.workG[y][x], form.workR[y][x]}; }

inline void addToWork(TForm1& form, int x, int y, const Colour& c)
{
    form.workB[y][x] += c.b;
    form.workG[y][x] += c.g;
    form.workR[y][x] += c.r;
}

inline int64_t squaredDistance64(const Colour& a, const Colour& b)
{
    const int64_t db = a.b - b.b, dg = a.g - b.g, dr = a.r - b.r;
    return db * db + dg * dg + dr * dr;
}

}  // namespace dw
