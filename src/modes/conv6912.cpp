#include "modes/conv6912.h"

#include <cstdint>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
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

void setCandidate(const Conversion& job, int entry, const Colour& c)
{
    job.screen.candColB[entry] = c.b;
    job.screen.candColG[entry] = c.g;
    job.screen.candColR[entry] = c.r;
}

// Cell mean per component, truncated toward zero.
Colour cellMean(const Conversion& job, int x0, int y0)
{
    Colour sum;
    for (int y = y0; y < y0 + 8; ++y)
        for (int x = x0; x < x0 + 8; ++x) {
            sum.b += job.picture.workB[y][x];
            sum.g += job.picture.workG[y][x];
            sum.r += job.picture.workR[y][x];
        }
    return {sum.b / 64, sum.g / 64, sum.r / 64};
}

int64_t cellError(const Conversion& job, int x0, int y0, int paper, int ink, int64_t stopAbove)
{
    return fiveMixCellError(job.picture.workB, job.picture.workG, job.picture.workR, x0, y0, paletteColourOf(job, paper), paletteColourOf(job, ink),
                            stopAbove);
}

// Chooses the cell's attribute starting from `start` (the cell above's):
// only a strictly smaller error replaces the current pair.
uint8_t chooseAttribute(const Conversion& job, int x0, int y0, uint8_t start, int centeringWeight)
{
    int bestPaper = paperIndex(start);
    int bestInk = inkIndex(start);
    int64_t best = cellError(job, x0, y0, bestPaper, bestInk, INT64_MAX);
    const Colour mean = cellMean(job, x0, y0);

    for (int bright = job.settings.brightOnly ? 1 : 0; bright <= 1; ++bright)
        for (int paper = 8 * bright; paper <= 8 * bright + 6; ++paper)
            for (int ink = paper + 1; ink <= 8 * bright + 7; ++ink) {
                const Colour mix = paletteColourOf(job, paper) + paletteColourOf(job, ink);
                const Colour off = {mix.b - mean.b, mix.g - mean.g, mix.r - mean.r};
                const int64_t spread = int64_t{off.b} * off.b + int64_t{off.g} * off.g + int64_t{off.r} * off.r;
                if (!(centeringWeight * spread < best)) continue;
                const int64_t err = cellError(job, x0, y0, paper, ink, best);
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
void projectCell(const Conversion& job, int c, int x0, int y0, uint8_t attribute)
{
    const Colour C0 = doubled(paletteColourOf(job, inkIndex(attribute)));
    const Colour C1 = doubled(paletteColourOf(job, paperIndex(attribute)));
    setCandidate(job, 4 * c, C0);
    setCandidate(job, 4 * c + 1, C1);
    for (int y = y0; y < y0 + 8; ++y)
        for (int x = x0; x < x0 + 8; ++x) {
            const Colour moved = projectOntoSegment(colourAt(job.picture.origB, job.picture.origG, job.picture.origR, x, y), C0, C1);
            setColourAt(job.picture.origB, job.picture.origG, job.picture.origR, x, y, moved);
            setColourAt(job.picture.workB, job.picture.workG, job.picture.workR, x, y, moved);
        }
}

void attributePass(const Conversion& job, int centeringWeight)
{
    job.scratch.rowAttr1.fill(static_cast<uint8_t>((job.settings.brightOnly ? 64 : 0) + 7));
    for (int r = 0; r < cellRows; ++r) {
        for (int c = 0; c < cellColumns; ++c) {
            job.scratch.rowAttr1[c] = chooseAttribute(job, 8 * c, 8 * r, job.scratch.rowAttr1[c], centeringWeight);
            if (job.settings.projecting) projectCell(job, c, 8 * c, 8 * r, job.scratch.rowAttr1[c]);
        }
        for (int c = 0; c < cellColumns; ++c) job.screen.scr1[attributeStart + 32 * r + c] = job.scratch.rowAttr1[c];
    }
}

Colour shareOf(const Colour& e, int k) { return {errorShare(e.b, k, 3), errorShare(e.g, k, 3), errorShare(e.r, k, 3)}; }

// Right 3/8, below 3/8, below-left 1/8, below-right 1/8. Without colour
// projecting no error leaves the cell to the right or below its last row.
void diffuseError(const Conversion& job, int x, int y, const Colour& e)
{
    if (job.settings.projecting || (x & 7) < 7) addToWork(job, x + 1, y, shareOf(e, 3));
    if (job.settings.projecting || (y & 7) < 7) {
        addToWork(job, x, y + 1, shareOf(e, 3));
        addToWork(job, x - 1, y + 1, shareOf(e, 1));
        addToWork(job, x + 1, y + 1, shareOf(e, 1));
    }
}

void convertCellRow(const Conversion& job, int c, int y, const DitherBand& band)
{
    const uint8_t attribute = job.scratch.rowAttr1[c];
    const Colour P = doubled(paletteColourOf(job, paperIndex(attribute)));
    const Colour I = doubled(paletteColourOf(job, inkIndex(attribute)));
    setCandidate(job, 4 * c, P);
    setCandidate(job, 4 * c + 1, I);
    for (int x = 8 * c; x < 8 * c + 8; ++x) {
        const int t = inkShare(colourAt(job.picture.origB, job.picture.origG, job.picture.origR, x, y), P, I);
        job.screen.chunkLevel1[y][x] = t;
        const Colour p = clampColour(colourAt(job.picture.workB, job.picture.workG, job.picture.workR, x, y));
        const PixelBit decision = decidePixel(p, P, I, t, x, y, job.settings.floyd, job.settings.chunkMask, band);
        job.scratch.rowPix1[c] = static_cast<uint8_t>((job.scratch.rowPix1[c] * 2 + decision.bit) & 255);
        job.screen.zxBitmap.setPixel(x, y, packColour(decision.bit ? I : P));
        if (job.settings.floyd) {
            const Colour& near = decision.nearBit ? I : P;
            diffuseError(job, x, y, {p.b - near.b, p.g - near.g, p.r - near.r});
        }
    }
}

void pixelPass(const Conversion& job)
{
    const DitherBand band{job.settings.dithLo, job.settings.dithHi};
    for (int r = 0; r < cellRows; ++r) {
        for (int c = 0; c < cellColumns; ++c) job.scratch.rowAttr1[c] = job.screen.scr1[attributeStart + 32 * r + c];
        for (int y = 8 * r; y < 8 * r + 8; ++y) {
            for (int c = 0; c < cellColumns; ++c) convertCellRow(job, c, y, band);
            for (int c = 0; c < cellColumns; ++c) job.screen.scr1[32 * zxline(y) + c] = job.scratch.rowPix1[c];
        }
    }
}

}  // namespace

void conv6912(const Conversion& job)
{
    const int centeringWeight = job.settings.centering ? 32 : 0;
    attributePass(job, centeringWeight);
    pixelPass(job);
}

}  // namespace dw
