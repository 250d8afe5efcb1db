#include "modes/conv_mcx.h"

#include <algorithm>
#include <utility>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
#include "modes/work_pixels.h"
#include "modes/conv_mc.h"
#include "modes/mcx_records.h"
#include "modes/mcx_search.h"
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

// Per column of one line: keeping the cell above's quadruple, or the best new
// one; and the record last found in the column, a hint for the neighbouring
// cells of this line and the next.
struct LineChoices {
    std::array<int64_t, columns> keepError{}, newError{};
    std::array<Quadruple, columns> keep{}, fresh{};
    std::array<int, columns> record;
};

Colour halved(const Colour& c) { return {c.b >> 1, c.g >> 1, c.r >> 1}; }

Mixes mixesOf(const Conversion& job, const Quadruple& q)
{
    Mixes m;
    m.slot = mixesOf(job.palette, q);
    m.centre = halved(m.slot[0] + m.slot[3]);
    return m;
}

int64_t keepError(const Mixes& m, const LineCell& pixels)
{
    int64_t sum = 0;
    for (const Colour& q : pixels)
        sum += min5(squaredDistance(m.slot[0], q), squaredDistance(m.slot[1], q), squaredDistance(m.slot[2], q),
                    squaredDistance(m.centre, q), squaredDistance(m.slot[3], q));
    return sum;
}

void searchLine(const Conversion& job, const McxRecords& records, McxCellDistances& distances, int y,
                int centeringWeight, LineChoices& line)
{
    int aboveLeft = -1;
    for (int j = 0; j < columns; ++j) {
        const int above = line.record[j];
        const LineCell pixels = readLineCell(job, j, y);
        const Quadruple keep = quadrupleOf(job.scratch.rowAttr1[j], job.scratch.rowAttr2[j]);
        line.keep[j] = keep;
        line.keepError[j] = keepError(mixesOf(job, keep), pixels);
        measureCell(records, pixels, distances);
        const int64_t threshold = lineThreshold(y, line.keepError[j], job.settings.mcLevel);
        // Found above, to the left, above right, above left, two to the left and
        // two above right.
        const McxHints hints = {above, j > 0 ? line.record[j - 1] : -1, j + 1 < columns ? line.record[j + 1] : -1,
                                aboveLeft, j > 1 ? line.record[j - 2] : -1, j + 2 < columns ? line.record[j + 2] : -1};
        const McxFound found =
            searchRecords(records, distances, lineCellMean(pixels), keep, threshold, centeringWeight, hints);
        line.newError[j] = found.error;
        line.fresh[j] = found.quad;
        if (found.record >= 0) line.record[j] = found.record;
        aboveLeft = above;
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
    McxTables& tables = job.scratch.mcx.tables();
    readMcxRecords(job, tables.records);

    job.scratch.rowAttr1.fill(7);
    job.scratch.rowAttr2.fill(71);
    LineChoices line;
    line.record.fill(-1);
    for (int y = 0; y < screenHeight; ++y) {
        searchLine(job, tables.records, tables.distances, y, centeringWeight, line);
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
