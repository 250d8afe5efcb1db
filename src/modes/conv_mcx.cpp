#include "modes/conv_mcx.h"

#include <algorithm>
#include <utility>


#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/mix_table.h"
#include "colour/palette.h"
#include "core/form.h"
#include "modes/work_pixels.h"
#include "modes/conv_mc.h"

namespace dw {

namespace {

constexpr int columns = 32;
constexpr int cellWidth = 8;

// Paper and ink of screen 1, paper and ink of screen 2.
struct Quad {
    int p1 = 0, i1 = 0, p2 = 0, i2 = 0;
};

// Slot i shows screen 1's ink when bit 0 of i is set, screen 2's when bit 1
// is; the centre is the middle of slots 0 and 3.
struct Mixes {
    std::array<Colour, 4> slot;
    Colour centre;
};

// A gigaTab record as the search uses it.
struct Record {
    Quad quad;
    std::array<int, 4> mix;  // mixTable indices of its four mixes
    Colour centre;           // from the current palette
};

using Records = std::array<Record, gigaTabSize>;
// The same pixels one channel at a time.
struct CellPlanes {
    std::array<int32_t, cellWidth> b, g, r;
};

// Per column of one line: keeping the cell above's quadruple, or the best new one.
struct LineChoices {
    std::array<int64_t, columns> keepError{}, newError{};
    std::array<Quad, columns> keep{}, fresh{};
};

Colour halved(const Colour& c) { return {c.b >> 1, c.g >> 1, c.r >> 1}; }

Mixes mixesOf(const TForm1& form, const Quad& q)
{
    const Colour p1 = paletteColourOf(form, q.p1), i1 = paletteColourOf(form, q.i1);
    const Colour p2 = paletteColourOf(form, q.p2), i2 = paletteColourOf(form, q.i2);
    Mixes m;
    m.slot = {p1 + p2, i1 + p2, p1 + i2, i1 + i2};
    m.centre = halved(m.slot[0] + m.slot[3]);
    return m;
}

Quad quadOf(uint8_t attribute1, uint8_t attribute2)
{
    return {paperIndex(attribute1), inkIndex(attribute1), paperIndex(attribute2), inkIndex(attribute2)};
}

Records readRecords(const TForm1& form)
{
    Records records;
    for (int r = 0; r < gigaTabSize; ++r) {
        const auto& entry = form.gigaTab[r];
        Record& record = records[r];
        record.quad = {entry[0], entry[1], entry[2], entry[3]};
        record.mix = {entry[4], entry[5], entry[6], entry[7]};
        record.centre = mixesOf(form, record.quad).centre;
    }
    return records;
}

int64_t keepError(const Mixes& m, const LineCell& pixels)
{
    int64_t sum = 0;
    for (const Colour& q : pixels)
        sum += min5(squaredDistance(m.slot[0], q), squaredDistance(m.slot[1], q), squaredDistance(m.slot[2], q),
                    squaredDistance(m.centre, q), squaredDistance(m.slot[3], q));
    return sum;
}

// mixDist[k][0][i]: squared distance from mix k to pixel i of the cell.
void fillMixDistances(TForm1& form, const LineCell& pixels)
{
    for (int k = 0; k < mixCount; ++k) {
        const Colour mix = {mixTable[k].b, mixTable[k].g, mixTable[k].r};
        for (int i = 0; i < cellWidth; ++i) form.mixDist[k][0][i] = squaredDistance(mix, pixels[i]);
    }
}

// The record's error over the cell. Summed whole: eight lanes at once cost
// less than stopping early.
int64_t recordError(const TForm1& form, const Record& record, const CellPlanes& cell)
{
    const auto& d0 = form.mixDist[record.mix[0]][0];
    const auto& d1 = form.mixDist[record.mix[1]][0];
    const auto& d2 = form.mixDist[record.mix[2]][0];
    const auto& d3 = form.mixDist[record.mix[3]][0];
    int64_t sum = 0;
    for (int i = 0; i < cellWidth; ++i) {
        const int32_t db = record.centre.b - cell.b[i], dg = record.centre.g - cell.g[i], dr = record.centre.r - cell.r[i];
        int32_t v = db * db + dg * dg + dr * dr;
        v = std::min(v, d0[i]);
        v = std::min(v, d1[i]);
        v = std::min(v, d2[i]);
        v = std::min(v, d3[i]);
        sum += v;
    }
    return sum;
}

// Best record strictly below `threshold`, in table order; the keep quadruple
// with the threshold as its error when none is.
std::pair<int64_t, Quad> searchRecord(const TForm1& form, const Records& records, const LineCell& pixels,
                                      const Quad& keep, int64_t threshold, int centeringWeight)
{
    int64_t best = threshold;
    Quad bestQuad = keep;
    const Colour mean = lineCellMean(pixels);
    CellPlanes cell;
    for (int i = 0; i < cellWidth; ++i) {
        cell.b[i] = pixels[i].b;
        cell.g[i] = pixels[i].g;
        cell.r[i] = pixels[i].r;
    }
    for (const Record& record : records) {
        if (!(centeringWeight * squaredDistance64(record.centre, mean) < best)) continue;
        const int64_t err = recordError(form, record, cell);
        if (err < best) {
            best = err;
            bestQuad = record.quad;
        }
    }
    return {best, bestQuad};
}

void searchLine(TForm1& form, const Records& records, int y, int centeringWeight, LineChoices& line)
{
    for (int j = 0; j < columns; ++j) {
        const LineCell pixels = readLineCell(form, j, y);
        const Quad keep = quadOf(form.rowAttr1[j], form.rowAttr2[j]);
        line.keep[j] = keep;
        line.keepError[j] = keepError(mixesOf(form, keep), pixels);
        fillMixDistances(form, pixels);
        const int64_t threshold = lineThreshold(y, line.keepError[j], form.mcLevel);
        const auto [error, quad] = searchRecord(form, records, pixels, keep, threshold, centeringWeight);
        line.newError[j] = error;
        line.fresh[j] = quad;
    }
}

Colour share(const Colour& e, int shift)
{
    return {errorShare(e.b, 1, shift), errorShare(e.g, 1, shift), errorShare(e.r, 1, shift)};
}

// Half right, a quarter below, an eighth below-left and below-right.
void diffuseError(TForm1& form, int x, int y, const Colour& e)
{
    addToWork(form, x + 1, y, share(e, 1));
    addToWork(form, x, y + 1, share(e, 2));
    addToWork(form, x - 1, y + 1, share(e, 3));
    addToWork(form, x + 1, y + 1, share(e, 3));
}

// The slots come from the attributes as written, so the preview shows what
// the screens show even for a record whose paper and ink differ in brightness.
void renderCell(TForm1& form, int j, int y, const Quad& quad)
{
    form.rowAttr1[j] = makeAttribute(quad.p1, quad.i1);
    form.rowAttr2[j] = makeAttribute(quad.p2, quad.i2);
    const Mixes m = mixesOf(form, quadOf(form.rowAttr1[j], form.rowAttr2[j]));
    for (int s = 0; s < 4; ++s) {
        form.cellColB[s] = m.slot[s].b;
        form.cellColG[s] = m.slot[s].g;
        form.cellColR[s] = m.slot[s].r;
    }
    for (int x = cellWidth * j; x < cellWidth * j + cellWidth; ++x) {
        const Colour p = bandLimitedPixel(form, x, y);
        const int s = argmin4(squaredDistance(m.slot[0], p), squaredDistance(m.slot[1], p),
                              squaredDistance(m.slot[2], p), squaredDistance(m.slot[3], p));
        form.rowPix1[j] = static_cast<uint8_t>(form.rowPix1[j] * 2 + (s & 1));
        form.rowPix2[j] = static_cast<uint8_t>(form.rowPix2[j] * 2 + (s >> 1));
        const Colour& shown = m.slot[s];
        diffuseError(form, x, y, {p.b - shown.b, p.g - shown.g, p.r - shown.r});
        form.zxBitmap.setPixel(x, y, packColour(shown));
    }
}

void renderLine(TForm1& form, int y, int quota, const LineChoices& line)
{
    const std::array<int, columnPairs> order = rankColumnPairs(line.keepError, line.newError);
    for (int rank = 0; rank < columnPairs; ++rank)
        for (int j : {2 * order[rank], 2 * order[rank] + 1})
            renderCell(form, j, y, rank < quota ? line.fresh[j] : line.keep[j]);
}

}  // namespace

void convMCX(TForm1& form)
{
    const int centeringWeight = form.cbMCFilter.checked ? 4 : 0;
    const int quota = form.cbLimitMC.checked ? 8 : columnPairs;
    const Records records = readRecords(form);

    form.rowAttr1.fill(7);
    form.rowAttr2.fill(71);
    LineChoices line;
    for (int y = 0; y < screenHeight; ++y) {
        searchLine(form, records, y, centeringWeight, line);
        renderLine(form, y, quota, line);
        for (int j = 0; j < columns; ++j) {
            form.scr1[32 * y + j] = form.rowPix1[j];
            form.scr1[6144 + 32 * y + j] = form.rowAttr1[j];
            form.scr2[32 * y + j] = form.rowPix2[j];
            form.scr2[6144 + 32 * y + j] = form.rowAttr2[j];
        }
    }
}

}  // namespace dw
