#include "modes/conv6912.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
#include "modes/distance_lanes.h"
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

// The 64 working pixels of one cell, one array per component, the sums of
// the values and of their squares per component and, when they fit, the
// lanes of its eight rows.
struct CellPixels {
    std::array<int32_t, 64> b{}, g{}, r{};
    Colour sum;
    int64_t squaresB = 0, squaresG = 0, squaresR = 0;
    bool inLanes = false;
    std::array<PixelLanes, 8> rows;
};

CellPixels readCell(const Conversion& job, int x0, int y0)
{
    CellPixels cell;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            cell.b[8 * y + x] = job.picture.workB[y0 + y][x0 + x];
            cell.g[8 * y + x] = job.picture.workG[y0 + y][x0 + x];
            cell.r[8 * y + x] = job.picture.workR[y0 + y][x0 + x];
        }
    for (int i = 0; i < 64; ++i) {
        cell.sum = cell.sum + Colour{cell.b[i], cell.g[i], cell.r[i]};
        cell.squaresB += int64_t{cell.b[i]} * cell.b[i];
        cell.squaresG += int64_t{cell.g[i]} * cell.g[i];
        cell.squaresR += int64_t{cell.r[i]} * cell.r[i];
    }
    cell.inLanes = fitsLanes(cell.b.data(), 64) && fitsLanes(cell.g.data(), 64) && fitsLanes(cell.r.data(), 64);
    if (cell.inLanes)
        for (int y = 0; y < 8; ++y) cell.rows[y] = pixelLanes(&cell.b[8 * y], &cell.g[8 * y], &cell.r[8 * y]);
    return cell;
}

// The five mixes from paper to ink (paper, three quarters paper, half and
// half, three quarters ink, ink), one array per component.
struct FiveMixes {
    std::array<int32_t, 5> b{}, g{}, r{};
    std::array<ColourLanes, 5> lanes;
};

FiveMixes mixesOf(const Conversion& job, int paper, int ink)
{
    const Colour halfPaper = paletteColourOf(job, paper), halfInk = paletteColourOf(job, ink);
    const Colour P = doubled(halfPaper), I = doubled(halfInk), S = halfPaper + halfInk;
    const Colour PS = {(P.b + S.b) / 2, (P.g + S.g) / 2, (P.r + S.r) / 2};
    const Colour IS = {(I.b + S.b) / 2, (I.g + S.g) / 2, (I.r + S.r) / 2};
    FiveMixes mixes = {{P.b, PS.b, S.b, IS.b, I.b}, {P.g, PS.g, S.g, IS.g, I.g}, {P.r, PS.r, S.r, IS.r, I.r}, {}};
    for (int k = 0; k < 5; ++k) mixes.lanes[k] = colourLanes({mixes.b[k], mixes.g[k], mixes.r[k]});
    return mixes;
}

inline int32_t mixDistance(const FiveMixes& mixes, int k, const CellPixels& cell, int i)
{
    const int32_t db = mixes.b[k] - cell.b[i], dg = mixes.g[k] - cell.g[i], dr = mixes.r[k] - cell.r[i];
    return db * db + dg * dg + dr * dr;
}

// The least distances to the five mixes of the eight pixels from `first`,
// summed.
int64_t rowError(const FiveMixes& mixes, const CellPixels& cell, int first)
{
    std::array<int32_t, 8> least;
    for (int i = 0; i < 8; ++i) {
        int32_t m = mixDistance(mixes, 0, cell, first + i);
        for (int k = 1; k < 5; ++k) m = std::min(m, mixDistance(mixes, k, cell, first + i));
        least[i] = m;
    }
    int64_t sum = 0;
    for (int32_t d : least) sum += d;
    return sum;
}

// The same sum for a row in lanes.
int64_t laneRowError(const FiveMixes& mixes, const PixelLanes& row)
{
    DistanceLanes least = distanceLanes(mixes.lanes[0], row);
    for (int k = 1; k < 5; ++k) least = minLanes(least, distanceLanes(mixes.lanes[k], row));
    return laneTotal(least);
}

// The five-mix error of the cell, summed a pixel row at a time: once the sum
// exceeds stopAbove it is returned as it stands, already above it.
int64_t cellError(const FiveMixes& mixes, const CellPixels& cell, int64_t stopAbove)
{
    int64_t sum = 0;
    for (int row = 0; row < 8; ++row) {
        sum += cell.inLanes ? laneRowError(mixes, cell.rows[row]) : rowError(mixes, cell, 8 * row);
        if (sum > stopAbove) break;
    }
    return sum;
}

// A pair the search tries, with what its tests need.
struct Candidate {
    int paper = 0, ink = 0;
    FiveMixes mixes;
    Colour middle;           // paper + ink half-values, for "Palette centering"
    Colour lowest, highest;  // per component, the least and greatest of the five mixes
};

// The pairs in search order: brightness from `brightOnly` up to 1, paper
// 8b .. 8b + 6, ink above the paper.
std::vector<Candidate> candidatesOf(const Conversion& job)
{
    std::vector<Candidate> candidates;
    for (int bright = job.settings.brightOnly ? 1 : 0; bright <= 1; ++bright)
        for (int paper = 8 * bright; paper <= 8 * bright + 6; ++paper)
            for (int ink = paper + 1; ink <= 8 * bright + 7; ++ink) {
                Candidate c;
                c.paper = paper;
                c.ink = ink;
                c.mixes = mixesOf(job, paper, ink);
                c.middle = paletteColourOf(job, paper) + paletteColourOf(job, ink);
                const auto& M = c.mixes;
                c.lowest = {*std::min_element(M.b.begin(), M.b.end()), *std::min_element(M.g.begin(), M.g.end()),
                            *std::min_element(M.r.begin(), M.r.end())};
                c.highest = {*std::max_element(M.b.begin(), M.b.end()), *std::max_element(M.g.begin(), M.g.end()),
                             *std::max_element(M.r.begin(), M.r.end())};
                candidates.push_back(c);
            }
    return candidates;
}

// One component's share of a lower bound of the cell error, as a whole part
// and a part to be divided by 64. Where all five mixes have one value k, every
// pixel's error holds (q - k)^2 whatever mix is nearest, so the component
// gives exactly sum(q^2) - 2k sum(q) + 64k^2. Otherwise every mix lies in
// [lowest, highest]: a pixel's error holds at least its squared distance to
// that range, and by Cauchy-Schwarz the 64 distances square to at least
// (their sum)^2 / 64, that sum being at least how far the component's sum
// lies outside 64 times the range.
struct FloorPart {
    int64_t whole = 0, sixtyFourths = 0;
};

FloorPart componentFloor(int64_t sum, int64_t squares, int32_t lowest, int32_t highest)
{
    if (lowest == highest) return {squares - 2 * int64_t{lowest} * sum + 64 * int64_t{lowest} * lowest, 0};
    int64_t outside = 0;
    if (sum < 64 * int64_t{lowest}) outside = 64 * int64_t{lowest} - sum;
    if (sum > 64 * int64_t{highest}) outside = sum - 64 * int64_t{highest};
    return {0, outside * outside};
}

// A lower bound of the candidate's cell error: the components' shares added,
// the error holding each component's share of every pixel's distance.
int64_t errorFloor(const Candidate& c, const CellPixels& cell)
{
    const FloorPart b = componentFloor(cell.sum.b, cell.squaresB, c.lowest.b, c.highest.b);
    const FloorPart g = componentFloor(cell.sum.g, cell.squaresG, c.lowest.g, c.highest.g);
    const FloorPart r = componentFloor(cell.sum.r, cell.squaresR, c.lowest.r, c.highest.r);
    return b.whole + g.whole + r.whole + (b.sixtyFourths + g.sixtyFourths + r.sixtyFourths) / 64;
}

// Chooses the cell's attribute starting from `start` (the cell above's):
// only a strictly smaller error replaces the current pair. A pair whose error
// floor is not below the best so far cannot, and is not measured.
uint8_t chooseAttribute(const Conversion& job, const std::vector<Candidate>& candidates, int x0, int y0,
                        uint8_t start, int centeringWeight)
{
    const CellPixels cell = readCell(job, x0, y0);
    int bestPaper = paperIndex(start);
    int bestInk = inkIndex(start);
    int64_t best = cellError(mixesOf(job, bestPaper, bestInk), cell, INT64_MAX);
    const Colour mean = {cell.sum.b / 64, cell.sum.g / 64, cell.sum.r / 64};

    for (const Candidate& c : candidates) {
        const Colour off = {c.middle.b - mean.b, c.middle.g - mean.g, c.middle.r - mean.r};
        const int64_t spread = int64_t{off.b} * off.b + int64_t{off.g} * off.g + int64_t{off.r} * off.r;
        if (!(centeringWeight * spread < best)) continue;
        if (errorFloor(c, cell) >= best) continue;
        const int64_t err = cellError(c.mixes, cell, best);
        if (err < best) {
            best = err;
            bestPaper = c.paper;
            bestInk = c.ink;
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
    const std::vector<Candidate> candidates = candidatesOf(job);
    job.scratch.rowAttr1.fill(static_cast<uint8_t>((job.settings.brightOnly ? 64 : 0) + 7));
    for (int r = 0; r < cellRows; ++r) {
        for (int c = 0; c < cellColumns; ++c) {
            job.scratch.rowAttr1[c] = chooseAttribute(job, candidates, 8 * c, 8 * r, job.scratch.rowAttr1[c], centeringWeight);
            if (job.settings.projecting) projectCell(job, c, 8 * c, 8 * r, job.scratch.rowAttr1[c]);
        }
        for (int c = 0; c < cellColumns; ++c) job.screen.scr1[attributeStart + 32 * r + c] = job.scratch.rowAttr1[c];
    }
}

Colour shareOf(const Colour& e, int k) { return {errorShare(e.b, k, 3), errorShare(e.g, k, 3), errorShare(e.r, k, 3)}; }

// The ink share (diff / n + 1) * 128, truncated toward zero, in integers.
// Where it is a whole number the extended-precision quotient is exact; where
// not, it lies at least 1/n from every whole number while the quotient's
// rounding errors stay below 2^-25 for any diff an int holds and n < 2^18
// (three components of at most 255 apart), so both truncate alike. A
// numerator that fits 32 bits is divided in 32 bits, which is quicker.
inline int inkShareOf(int diff, int n)
{
    const int64_t numerator = int64_t{128} * (int64_t{diff} + n);
    if (numerator >= INT32_MIN && numerator <= INT32_MAX) return static_cast<int32_t>(numerator) / n;
    return static_cast<int>(numerator / n);
}

// One pixel line of a cell. Floyd shares: right 3/8, below 3/8, below-left
// 1/8, below-right 1/8; without colour projecting none goes right of the
// cell's last pixel nor below its last line. The share to the right is
// carried to the next pixel in a register (and written back, as the plane
// would have it); the line below is not read meanwhile, so its shares are
// summed first and added once.
void convertCellRow(const Conversion& job, int c, int y, const DitherBand& band)
{
    const uint8_t attribute = job.scratch.rowAttr1[c];
    const Colour P = doubled(paletteColourOf(job, paperIndex(attribute)));
    const Colour I = doubled(paletteColourOf(job, inkIndex(attribute)));
    setCandidate(job, 4 * c, P);
    setCandidate(job, 4 * c + 1, I);
    const int n = std::max(squaredDistance(I, P), 1);
    const uint32_t packed[2] = {packColour(P), packColour(I)};
    const int matrixColumn = y & job.settings.chunkMask;
    const bool floyd = job.settings.floyd;
    const int x0 = 8 * c;
    const PictureState& picture = job.picture;
    int32_t* const workB = job.picture.workB[y];
    int32_t* const workG = job.picture.workG[y];
    int32_t* const workR = job.picture.workR[y];
    uint8_t* preview = job.screen.zxBitmap.rgb().data() + 3 * (screenWidth * y + x0);
    std::array<Colour, 10> below;  // shares for x0 - 1 .. x0 + 8 of the line below
    Colour carry;
    int bits = 0;
    for (int i = 0; i < 8; ++i, preview += 3) {
        const int x = x0 + i;
        const Colour q = {picture.origB[y][x], picture.origG[y][x], picture.origR[y][x]};
        const int t = inkShareOf(squaredDistance(P, q) - squaredDistance(I, q), n);
        job.screen.chunkLevel1[y][x] = t;
        const Colour w = {workB[x] + carry.b, workG[x] + carry.g, workR[x] + carry.r};
        workB[x] = w.b;
        workG[x] = w.g;
        workR[x] = w.r;
        const Colour p = {std::clamp(w.b, 0, 255), std::clamp(w.g, 0, 255), std::clamp(w.r, 0, 255)};
        const int nearBit = floyd ? (squaredDistance(I, p) <= squaredDistance(P, p) ? 1 : 0)
                                  : (ditherMatrix[x & job.settings.chunkMask][matrixColumn] < t ? 1 : 0);
        int bit = nearBit;
        if (band.lo > t) bit = 0;
        if (band.hi < t) bit = 1;
        bits = bits * 2 + bit;
        preview[0] = packed[bit] & 0xFF;
        preview[1] = (packed[bit] >> 8) & 0xFF;
        preview[2] = (packed[bit] >> 16) & 0xFF;
        if (floyd) {
            const Colour& near = nearBit ? I : P;
            const Colour e = {p.b - near.b, p.g - near.g, p.r - near.r};
            carry = shareOf(e, 3);
            below[i] = below[i] + shareOf(e, 1);
            below[i + 1] = below[i + 1] + shareOf(e, 3);
            below[i + 2] = below[i + 2] + shareOf(e, 1);
        }
    }
    job.scratch.rowPix1[c] = static_cast<uint8_t>(bits);
    if (!floyd) return;
    if (job.settings.projecting) addToWork(job, x0 + 8, y, carry);
    if (job.settings.projecting || (y & 7) < 7)
        for (int i = 0; i < 10; ++i) addToWork(job, x0 - 1 + i, y + 1, below[i]);
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
