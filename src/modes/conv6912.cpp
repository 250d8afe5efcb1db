#include "modes/conv6912.h"

#include <cstdint>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
#include "core/form.h"
#include "modes/work_pixels.h"

namespace dw {

namespace {

constexpr int cellColumns = 32;
constexpr int cellRows = 24;
constexpr int attributeStart = 6144;

Colour colourAt(const Plane& b, const Plane& g, const Plane& r, int x, int y) { return {b[y][x], g[y][x], r[y][x]}; }

void setColourAt(Plane& b, Plane& g, Plane& r, int x, int y, const Colour& c)
{
    b[y][x] = c.b;
    g[y][x] = c.g;
    r[y][x] = c.r;
}

void setCandidate(TForm1& form, int entry, const Colour& c)
{
    form.candColB[entry] = c.b;
    form.candColG[entry] = c.g;
    form.candColR[entry] = c.r;
}

// Cell mean per component, truncated toward zero.
Colour cellMean(const TForm1& form, int x0, int y0)
{
    Colour sum;
    for (int y = y0; y < y0 + 8; ++y)
        for (int x = x0; x < x0 + 8; ++x) {
            sum.b += form.workB[y][x];
            sum.g += form.workG[y][x];
            sum.r += form.workR[y][x];
        }
    return {sum.b / 64, sum.g / 64, sum.r / 64};
}

int64_t cellError(const TForm1& form, int x0, int y0, int paper, int ink, int64_t stopAbove)
{
    return fiveMixCellError(form.workB, form.workG, form.workR, x0, y0, paletteColourOf(form, paper), paletteColourOf(form, ink),
                            stopAbove);
}

// Chooses the cell's attribute starting from `start` (the cell above's):
// only a strictly smaller error replaces the current pair.
uint8_t chooseAttribute(const TForm1& form, int x0, int y0, uint8_t start, int centeringWeight)
{
    int bestPaper = paperIndex(start);
    int bestInk = inkIndex(start);
    int64_t best = cellError(form, x0, y0, bestPaper, bestInk, INT64_MAX);
    const Colour mean = cellMean(form, x0, y0);

    for (int bright = form.brightOnly ? 1 : 0; bright <= 1; ++bright)
        for (int paper = 8 * bright; paper <= 8 * bright + 6; ++paper)
            for (int ink = paper + 1; ink <= 8 * bright + 7; ++ink) {
                const Colour mix = paletteColourOf(form, paper) + paletteColourOf(form, ink);
                const Colour off = {mix.b - mean.b, mix.g - mean.g, mix.r - mean.r};
                const int64_t spread = int64_t{off.b} * off.b + int64_t{off.g} * off.g + int64_t{off.r} * off.r;
                if (!(centeringWeight * spread < best)) continue;
                const int64_t err = cellError(form, x0, y0, paper, ink, best);
                if (err < best) {
                    best = err;
                    bestPaper = paper;
                    bestInk = ink;
                }
            }
    return makeAttribute(bestPaper, bestInk);
}

// Moves the cell's reference pixels onto the segment from ink to paper and
// makes the working pixels equal to them.
void projectCell(TForm1& form, int c, int x0, int y0, uint8_t attribute)
{
    const Colour C0 = doubled(paletteColourOf(form, inkIndex(attribute)));
    const Colour C1 = doubled(paletteColourOf(form, paperIndex(attribute)));
    setCandidate(form, 4 * c, C0);
    setCandidate(form, 4 * c + 1, C1);
    for (int y = y0; y < y0 + 8; ++y)
        for (int x = x0; x < x0 + 8; ++x) {
            const Colour moved = projectOntoSegment(colourAt(form.origB, form.origG, form.origR, x, y), C0, C1);
            setColourAt(form.origB, form.origG, form.origR, x, y, moved);
            setColourAt(form.workB, form.workG, form.workR, x, y, moved);
        }
}

void attributePass(TForm1& form, int centeringWeight)
{
    form.rowAttr1.fill(static_cast<uint8_t>((form.brightOnly ? 64 : 0) + 7));
    for (int r = 0; r < cellRows; ++r) {
        for (int c = 0; c < cellColumns; ++c) {
            form.rowAttr1[c] = chooseAttribute(form, 8 * c, 8 * r, form.rowAttr1[c], centeringWeight);
            if (form.projectOn) projectCell(form, c, 8 * c, 8 * r, form.rowAttr1[c]);
        }
        for (int c = 0; c < cellColumns; ++c) form.scr1[attributeStart + 32 * r + c] = form.rowAttr1[c];
    }
}

Colour shareOf(const Colour& e, int k) { return {errorShare(e.b, k, 3), errorShare(e.g, k, 3), errorShare(e.r, k, 3)}; }

// Right 3/8, below 3/8, below-left 1/8, below-right 1/8. Without colour
// projecting no error leaves the cell to the right or below its last row.
void diffuseError(TForm1& form, int x, int y, const Colour& e)
{
    if (form.projectOn || (x & 7) < 7) addToWork(form, x + 1, y, shareOf(e, 3));
    if (form.projectOn || (y & 7) < 7) {
        addToWork(form, x, y + 1, shareOf(e, 3));
        addToWork(form, x - 1, y + 1, shareOf(e, 1));
        addToWork(form, x + 1, y + 1, shareOf(e, 1));
    }
}

void convertCellRow(TForm1& form, int c, int y, const DitherBand& band)
{
    const uint8_t attribute = form.rowAttr1[c];
    const Colour P = doubled(paletteColourOf(form, paperIndex(attribute)));
    const Colour I = doubled(paletteColourOf(form, inkIndex(attribute)));
    setCandidate(form, 4 * c, P);
    setCandidate(form, 4 * c + 1, I);
    for (int x = 8 * c; x < 8 * c + 8; ++x) {
        const int t = inkShare(colourAt(form.origB, form.origG, form.origR, x, y), P, I);
        form.chunkLevel1[y][x] = t;
        const Colour p = clampColour(colourAt(form.workB, form.workG, form.workR, x, y));
        const PixelBit decision = decidePixel(p, P, I, t, x, y, form.dithOn, form.chunkMask, band);
        form.rowPix1[c] = static_cast<uint8_t>((form.rowPix1[c] * 2 + decision.bit) & 255);
        form.zxBitmap.setPixel(x, y, packColour(decision.bit ? I : P));
        if (form.dithOn) {
            const Colour& near = decision.nearBit ? I : P;
            diffuseError(form, x, y, {p.b - near.b, p.g - near.g, p.r - near.r});
        }
    }
}

void pixelPass(TForm1& form)
{
    const DitherBand band{form.dithLo, form.dithHi};
    for (int r = 0; r < cellRows; ++r) {
        for (int c = 0; c < cellColumns; ++c) form.rowAttr1[c] = form.scr1[attributeStart + 32 * r + c];
        for (int y = 8 * r; y < 8 * r + 8; ++y) {
            for (int c = 0; c < cellColumns; ++c) convertCellRow(form, c, y, band);
            for (int c = 0; c < cellColumns; ++c) form.scr1[32 * zxline(y) + c] = form.rowPix1[c];
        }
    }
}

}  // namespace

void conv6912(TForm1& form)
{
    const int centeringWeight = form.cbMCFilter.checked ? 32 : 0;
    form.dithOn = form.cbDith.checked;
    form.retouchOn = form.dithOn;
    form.projectOn = form.cbProjecting.checked;
    attributePass(form, centeringWeight);
    pixelPass(form);
}

}  // namespace dw
