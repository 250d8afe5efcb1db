#include "modes/conv_mcx.h"

#include <algorithm>
#include <utility>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/mix_table.h"
#include "colour/palette.h"
#include "modes/work_pixels.h"
#include "modes/conv_mc.h"
#include "modes/quadruple.h"

namespace dw {

namespace {

constexpr int columns = 32;
constexpr int cellWidth = 8;

// Slot i shows screen 1's ink when bit 0 of i is set, screen 2's when bit 1
// is; the centre is the middle of slots 0 and 3.
struct Mixes {
    std::array<Colour, 4> slot;
    Colour centre;
};

// A gigaTab record as the search uses it.
struct Record {
    Quadruple quad;
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
    std::array<Quadruple, columns> keep{}, fresh{};
};

Colour halved(const Colour& c) { return {c.b >> 1, c.g >> 1, c.r >> 1}; }

Mixes mixesOf(const Conversion& job, const Quadruple& q)
{
    Mixes m;
    m.slot = mixesOf(job.palette, q);
    m.centre = halved(m.slot[0] + m.slot[3]);
    return m;
}

Records readRecords(const Conversion& job)
{
    Records records;
    for (int r = 0; r < gigaTabSize; ++r) {
        const auto& entry = job.tables.gigaTab[r];
        Record& record = records[r];
        record.quad = {entry[0], entry[1], entry[2], entry[3]};
        record.mix = {entry[4], entry[5], entry[6], entry[7]};
        record.centre = mixesOf(job, record.quad).centre;
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
void fillMixDistances(const Conversion& job, const LineCell& pixels)
{
    for (int k = 0; k < mixCount; ++k) {
        const Colour mix = {mixTable[k].b, mixTable[k].g, mixTable[k].r};
        for (int i = 0; i < cellWidth; ++i) job.scratch.mixDist[k][0][i] = squaredDistance(mix, pixels[i]);
    }
}

// The record's error over the cell. Summed whole: eight lanes at once cost
// less than stopping early.
int64_t recordError(const Conversion& job, const Record& record, const CellPlanes& cell)
{
    const auto& d0 = job.scratch.mixDist[record.mix[0]][0];
    const auto& d1 = job.scratch.mixDist[record.mix[1]][0];
    const auto& d2 = job.scratch.mixDist[record.mix[2]][0];
    const auto& d3 = job.scratch.mixDist[record.mix[3]][0];
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
std::pair<int64_t, Quadruple> searchRecord(const Conversion& job, const Records& records, const LineCell& pixels,
                                      const Quadruple& keep, int64_t threshold, int centeringWeight)
{
    int64_t best = threshold;
    Quadruple bestQuad = keep;
    const Colour mean = lineCellMean(pixels);
    CellPlanes cell;
    for (int i = 0; i < cellWidth; ++i) {
        cell.b[i] = pixels[i].b;
        cell.g[i] = pixels[i].g;
        cell.r[i] = pixels[i].r;
    }
    for (const Record& record : records) {
        if (!(centeringWeight * squaredDistance64(record.centre, mean) < best)) continue;
        const int64_t err = recordError(job, record, cell);
        if (err < best) {
            best = err;
            bestQuad = record.quad;
        }
    }
    return {best, bestQuad};
}

void searchLine(const Conversion& job, const Records& records, int y, int centeringWeight, LineChoices& line)
{
    for (int j = 0; j < columns; ++j) {
        const LineCell pixels = readLineCell(job, j, y);
        const Quadruple keep = quadrupleOf(job.scratch.rowAttr1[j], job.scratch.rowAttr2[j]);
        line.keep[j] = keep;
        line.keepError[j] = keepError(mixesOf(job, keep), pixels);
        fillMixDistances(job, pixels);
        const int64_t threshold = lineThreshold(y, line.keepError[j], job.settings.mcLevel);
        const auto [error, quad] = searchRecord(job, records, pixels, keep, threshold, centeringWeight);
        line.newError[j] = error;
        line.fresh[j] = quad;
    }
}

void diffuseError(const Conversion& job, int x, int y, const Colour& e)
{
    diffuseHalfQuarterEighths(job.picture.workB, x, y, e.b);
    diffuseHalfQuarterEighths(job.picture.workG, x, y, e.g);
    diffuseHalfQuarterEighths(job.picture.workR, x, y, e.r);
}

// The slots come from the attributes as written, so the preview shows what
// the screens show even for a record whose paper and ink differ in brightness.
void renderCell(const Conversion& job, int j, int y, const Quadruple& quad)
{
    job.scratch.rowAttr1[j] = makeAttribute(quad.p1, quad.i1);
    job.scratch.rowAttr2[j] = makeAttribute(quad.p2, quad.i2);
    const Mixes m = mixesOf(job, quadrupleOf(job.scratch.rowAttr1[j], job.scratch.rowAttr2[j]));
    for (int s = 0; s < 4; ++s) {
        job.scratch.cellColB[s] = m.slot[s].b;
        job.scratch.cellColG[s] = m.slot[s].g;
        job.scratch.cellColR[s] = m.slot[s].r;
    }
    for (int x = cellWidth * j; x < cellWidth * j + cellWidth; ++x) {
        const Colour p = bandLimitedPixel(job, x, y);
        const int s = argmin4(squaredDistance(m.slot[0], p), squaredDistance(m.slot[1], p),
                              squaredDistance(m.slot[2], p), squaredDistance(m.slot[3], p));
        job.scratch.rowPix1[j] = static_cast<uint8_t>(job.scratch.rowPix1[j] * 2 + (s & 1));
        job.scratch.rowPix2[j] = static_cast<uint8_t>(job.scratch.rowPix2[j] * 2 + (s >> 1));
        const Colour& shown = m.slot[s];
        diffuseError(job, x, y, {p.b - shown.b, p.g - shown.g, p.r - shown.r});
        job.screen.zxBitmap.setPixel(x, y, packColour(shown));
    }
}

void renderLine(const Conversion& job, int y, int quota, const LineChoices& line)
{
    const std::array<int, columnPairs> order = rankColumnPairs(line.keepError, line.newError);
    for (int rank = 0; rank < columnPairs; ++rank)
        for (int j : {2 * order[rank], 2 * order[rank] + 1})
            renderCell(job, j, y, rank < quota ? line.fresh[j] : line.keep[j]);
}

}  // namespace

void convMCX(const Conversion& job)
{
    const int centeringWeight = job.settings.centering ? 4 : 0;
    const int quota = job.settings.limitMC ? 8 : columnPairs;
    const Records records = readRecords(job);

    job.scratch.rowAttr1.fill(7);
    job.scratch.rowAttr2.fill(71);
    LineChoices line;
    for (int y = 0; y < screenHeight; ++y) {
        searchLine(job, records, y, centeringWeight, line);
        renderLine(job, y, quota, line);
        for (int j = 0; j < columns; ++j) {
            job.screen.scr1[32 * y + j] = job.scratch.rowPix1[j];
            job.screen.scr1[6144 + 32 * y + j] = job.scratch.rowAttr1[j];
            job.screen.scr2[32 * y + j] = job.scratch.rowPix2[j];
            job.screen.scr2[6144 + 32 * y + j] = job.scratch.rowAttr2[j];
        }
    }
}

}  // namespace dw
