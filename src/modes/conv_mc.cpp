#include "modes/conv_mc.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>
#include <vector>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
#include "modes/box_floors.h"
#include "modes/distance_lanes.h"
#include "modes/work_pixels.h"

namespace dw {

namespace {

constexpr int columns = 32;
constexpr int cellWidth = 8;

struct Pair {
    int paper = 0, ink = 0;
};

struct Settings {
    int centeringWeight = 0;
    bool limit = false;
    bool evenMC = false;
    int greyBright = 0;
};

// Per column of one line: keeping the cell above's pair, or the best new one.
// `found` keeps, per column, the candidate index the last search chose (-1
// for none) as a hint for the next one.
struct LineChoices {
    std::array<int64_t, columns> keepError{}, newError{};
    std::array<Pair, columns> keep{}, fresh{};
    std::array<int, columns> found;

    LineChoices() { found.fill(-1); }
};

// Paper, ink, half and half, three quarters paper, three quarters ink; one
// array per channel.
struct FiveLevels {
    std::array<int32_t, 5> b{}, g{}, r{};
};

FiveLevels levelsOf(const Conversion& job, Pair pair)
{
    const Colour paper = paletteColourOf(job, pair.paper), ink = paletteColourOf(job, pair.ink);
    const Colour l0 = doubled(paper), l1 = doubled(ink), l2 = paper + ink;
    const Colour l3 = {(l0.b + l2.b) >> 1, (l0.g + l2.g) >> 1, (l0.r + l2.r) >> 1};
    const Colour l4 = {(l1.b + l2.b) >> 1, (l1.g + l2.g) >> 1, (l1.r + l2.r) >> 1};
    return {{l0.b, l1.b, l2.b, l3.b, l4.b}, {l0.g, l1.g, l2.g, l3.g, l4.g}, {l0.r, l1.r, l2.r, l3.r, l4.r}};
}

// The working pixels of one cell, one array per channel, their sums and,
// when they fit, their lanes.
struct CellPixels {
    std::array<int32_t, cellWidth> b{}, g{}, r{};
    Colour sum;
    bool inLanes = false;
    PixelLanes lanes;
};

CellPixels readCell(const Conversion& job, int j, int y)
{
    CellPixels cell;
    for (int i = 0; i < cellWidth; ++i) {
        cell.b[i] = job.picture.workB[y][cellWidth * j + i];
        cell.g[i] = job.picture.workG[y][cellWidth * j + i];
        cell.r[i] = job.picture.workR[y][cellWidth * j + i];
        cell.sum = cell.sum + Colour{cell.b[i], cell.g[i], cell.r[i]};
    }
    cell.inLanes = fitsLanes(cell.b.data(), cellWidth) && fitsLanes(cell.g.data(), cellWidth) &&
                   fitsLanes(cell.r.data(), cellWidth);
    if (cell.inLanes) cell.lanes = pixelLanes(cell.b.data(), cell.g.data(), cell.r.data());
    return cell;
}

inline int32_t levelDistance(const FiveLevels& levels, int k, const CellPixels& cell, int i)
{
    const int32_t db = levels.b[k] - cell.b[i], dg = levels.g[k] - cell.g[i], dr = levels.r[k] - cell.r[i];
    return db * db + dg * dg + dr * dr;
}

// Sum of each pixel's least squared distance to the five levels, four pixels
// at a time: once the sum exceeds stopAbove it is returned as it stands.
int64_t cellError(const FiveLevels& levels, const CellPixels& cell, int64_t stopAbove)
{
    int64_t sum = 0;
    for (int half = 0; half < cellWidth; half += 4) {
        std::array<int32_t, 4> least;
        for (int i = 0; i < 4; ++i) {
            int32_t m = levelDistance(levels, 0, cell, half + i);
            for (int k = 1; k < 5; ++k) m = std::min(m, levelDistance(levels, k, cell, half + i));
            least[i] = m;
        }
        for (int32_t d : least) sum += d;
        if (sum > stopAbove) break;
    }
    return sum;
}

using LevelLanes = std::array<ColourLanes, 5>;

LevelLanes levelLanesOf(const FiveLevels& levels)
{
    LevelLanes lanes;
    for (int k = 0; k < 5; ++k) lanes[k] = colourLanes({levels.b[k], levels.g[k], levels.r[k]});
    return lanes;
}

// The same sum as cellError, all eight pixels at once.
int64_t laneCellError(const LevelLanes& levels, const PixelLanes& pixels)
{
    // In a tree, so the comparisons need not wait for one another.
    const DistanceLanes ends = minLanes(distanceLanes(levels[0], pixels), distanceLanes(levels[1], pixels));
    const DistanceLanes mixes = minLanes(distanceLanes(levels[2], pixels), distanceLanes(levels[3], pixels));
    return laneTotal(minLanes(minLanes(ends, mixes), distanceLanes(levels[4], pixels)));
}

int64_t cellError(const FiveLevels& levels, const CellPixels& cell)
{
    if (cell.inLanes) return laneCellError(levelLanesOf(levels), cell.lanes);
    return cellError(levels, cell, std::numeric_limits<int64_t>::max());
}

// A new pair the search tries, with what its tests need.
struct Candidate {
    Pair pair;
    FiveLevels levels;
    LevelLanes lanes;
    Colour middle;  // paper + ink half-values, for "Palette centering"
};

// The candidates in search order: brightness from `brightOnly` up to 1,
// paper 0..6, ink above the paper.
struct CandidateSet {
    std::vector<Candidate> list;
    ColourBoxes boxes;  // eight times each candidate's least and greatest level per channel
};

CandidateSet candidatesOf(const Conversion& job)
{
    CandidateSet set;
    for (int bright = job.settings.brightOnly ? 1 : 0; bright <= 1; ++bright)
        for (int paper = 8 * bright; paper <= 8 * bright + 6; ++paper)
            for (int ink = paper + 1; ink <= 8 * bright + 7; ++ink) {
                Candidate c;
                c.pair = {paper, ink};
                c.levels = levelsOf(job, c.pair);
                c.lanes = levelLanesOf(c.levels);
                c.middle = paletteColourOf(job, paper) + paletteColourOf(job, ink);
                const auto& L = c.levels;
                ColourBoxes& box = set.boxes;
                const size_t i = set.list.size();
                box.lowB[i] = static_cast<int16_t>(8 * *std::min_element(L.b.begin(), L.b.end()));
                box.lowG[i] = static_cast<int16_t>(8 * *std::min_element(L.g.begin(), L.g.end()));
                box.lowR[i] = static_cast<int16_t>(8 * *std::min_element(L.r.begin(), L.r.end()));
                box.highB[i] = static_cast<int16_t>(8 * *std::max_element(L.b.begin(), L.b.end()));
                box.highG[i] = static_cast<int16_t>(8 * *std::max_element(L.g.begin(), L.g.end()));
                box.highR[i] = static_cast<int16_t>(8 * *std::max_element(L.r.begin(), L.r.end()));
                set.list.push_back(c);
            }
    return set;
}

// Eight times a lower bound of every candidate's cell error: boxDistances
// of the cell's sums. Every level lies in the candidate's box, so a pixel's
// error is at least its squared distance to the box, channel by channel; by
// Cauchy-Schwarz the eight distances of a channel square to at least (their
// sum)^2 / 8, and that sum is at least how far the channel's sum lies outside
// eight times the box. Levels lie within 0..510, so the boxes fit.
using Floors = BoxDistances;
static_assert(8 * 510 <= boxValueLimit);

// The best so far: the previous pair (index -1) or a candidate.
struct Best {
    int64_t error = 0;
    int index = -1;
    Pair pair;

    // A candidate replaces the best with a smaller error, or an equal one
    // when it comes earlier in search order.
    bool beatenBy(int64_t candidateError, int candidateIndex) const
    {
        return candidateError < error || (candidateError == error && candidateIndex < index);
    }

    // Whether a candidate whose floors entry is eightFloor may still replace
    // the best: its whole error, at least eightFloor / 8, must be at most
    // error - 1, or error when it comes earlier. Errors far beyond any floor
    // are clamped first.
    bool reachableBy(int32_t eightFloor, int candidateIndex) const
    {
        constexpr int64_t far = int64_t{1} << 40;
        const int64_t allowed = std::clamp(error, -far, far) - (candidateIndex < index ? 0 : 1);
        return eightFloor <= 8 * allowed;
    }

    // Bit i for each of the first `count` candidates that might replace the
    // best as it stands, whatever their place in search order; the best only
    // improves, so no other candidate can later.
    uint64_t withinReach(const Floors& floors, int count) const
    {
        constexpr int64_t far = int64_t{1} << 40;
        const int64_t bar = 8 * std::clamp(error, -far, far);
        const int32_t bar32 = static_cast<int32_t>(std::clamp<int64_t>(bar, -1, INT32_MAX));
        return distancesAtMost(floors, bar32, count);
    }
};

// Measures candidate i unless its error floor shows it cannot replace the best.
void tryCandidate(const std::vector<Candidate>& candidates, int i, const CellPixels& cell, const Floors& floors,
                  Best& best)
{
    if (!best.reachableBy(floors[i], i)) return;
    const Candidate& c = candidates[i];
    const int64_t err = cell.inLanes ? laneCellError(c.lanes, cell.lanes) : cellError(c.levels, cell, best.error);
    if (best.beatenBy(err, i)) best = {err, i, c.pair};
}

// Best pair whose error is strictly below `threshold`, the earliest in search
// order among equals; the previous pair, with the threshold as its error,
// when none is. Without "Palette centering" that outcome does not depend on
// the order in which the pairs are measured, so the likely winners (`hints`,
// candidate indices or -1) go first and lower the bar for the rest. The
// centering test depends on the best so far, so with it the pairs are
// measured in search order.
Best searchPair(const CandidateSet& set, const CellPixels& cell, Pair previous, int64_t threshold,
                int centeringWeight, std::array<int, 2> hints)
{
    Best best{threshold, -1, previous};
    const std::vector<Candidate>& candidates = set.list;
    const int count = static_cast<int>(candidates.size());
    Floors floors;
    boxDistances(set.boxes, cell.sum, floors);
    if (centeringWeight == 0) {
        for (int hint : hints)
            if (hint >= 0) tryCandidate(candidates, hint, cell, floors, best);
        for (uint64_t left = best.withinReach(floors, count); left != 0; left &= left - 1) {
            const int i = std::countr_zero(left);
            if (i != hints[0] && i != hints[1]) tryCandidate(candidates, i, cell, floors, best);
        }
        return best;
    }
    const Colour mean = {cell.sum.b / cellWidth, cell.sum.g / cellWidth, cell.sum.r / cellWidth};
    for (int i = 0; i < count; ++i)
        if (centeringWeight * squaredDistance64(candidates[i].middle, mean) < best.error)
            tryCandidate(candidates, i, cell, floors, best);
    return best;
}

void searchLine(const Conversion& job, const CandidateSet& candidates, int y, const Settings& settings,
                LineChoices& line)
{
    const Pair grey = {8 * settings.greyBright, 8 * settings.greyBright + 7};
    const bool greyLine = settings.evenMC && y % 2 == 1;
    for (int j = 0; j < columns; ++j) {
        const CellPixels cell = readCell(job, j, y);
        const Pair previous = {paperIndex(job.scratch.rowAttr1[j]), inkIndex(job.scratch.rowAttr1[j])};
        line.keep[j] = previous;
        line.keepError[j] = cellError(levelsOf(job, previous), cell);
        if (greyLine) {
            line.fresh[j] = grey;
            line.newError[j] = cellError(levelsOf(job, grey), cell);
        } else {
            const int64_t threshold = lineThreshold(y, line.keepError[j], job.settings.mcLevel);
            const int left = j > 0 ? line.found[j - 1] : -1;
            const Best best = searchPair(candidates, cell, previous, threshold, settings.centeringWeight,
                                         {line.found[j], left != line.found[j] ? left : -1});
            line.newError[j] = best.error;
            line.fresh[j] = best.pair;
            line.found[j] = best.index;
        }
    }
}

void setSlot(const Conversion& job, int slot, const Colour& c)
{
    job.scratch.cellColB[slot] = c.b;
    job.scratch.cellColG[slot] = c.g;
    job.scratch.cellColR[slot] = c.r;
}

// Half to the right and a quarter below each pixel; a thirty-second of every
// pixel's error to each of the eight pixels under the cell (so the pixel
// below gets 1/4 + 1/32). The line below is not read while this line is
// rendered, so its shares are summed first and added once.
void renderCell(const Conversion& job, int j, int y, Pair pair)
{
    job.scratch.rowAttr1[j] = makeAttribute(pair.paper, pair.ink);
    const Colour paper = doubled(paletteColourOf(job, pair.paper)), ink = doubled(paletteColourOf(job, pair.ink));
    setSlot(job, 0, paper);
    setSlot(job, 1, ink);
    setSlot(job, 2, paletteColourOf(job, pair.paper) + paletteColourOf(job, pair.ink));

    const int x0 = cellWidth * j;
    int32_t* const b = job.picture.workB[y] + x0;
    int32_t* const g = job.picture.workG[y] + x0;
    int32_t* const r = job.picture.workR[y] + x0;
    if (job.settings.projecting)
        for (int i = 0; i < cellWidth; ++i) {
            const Colour moved = projectOntoSegment({b[i], g[i], r[i]}, paper, ink);
            b[i] = moved.b;
            g[i] = moved.g;
            r[i] = moved.r;
        }

    const uint8_t lo = job.settings.dithLo, hi = job.settings.dithHi;
    const uint32_t packed[2] = {packColour(paper), packColour(ink)};
    uint8_t* preview = job.screen.zxBitmap.rgb().data() + 3 * (screenWidth * y + x0);
    // p is nearer the ink, |p - ink|^2 <= |p - paper|^2, exactly when
    // 2 p.(paper - ink) <= |paper|^2 - |ink|^2; its error p - ink is then
    // (p - paper) + (paper - ink).
    const Colour inkToPaper = {paper.b - ink.b, paper.g - ink.g, paper.r - ink.r};
    const int32_t inkBar = squaredDistance(paper, {}) - squaredDistance(ink, {});
    std::array<int32_t, cellWidth> errorB, errorG, errorR;
    Colour carry;
    int bits = 0;
    for (int i = 0; i < cellWidth; ++i, preview += 3) {
        const Colour v = {b[i] + carry.b, g[i] + carry.g, r[i] + carry.r};
        b[i] = v.b;
        g[i] = v.g;
        r[i] = v.r;
        const Colour p = {bandedChannel(v.b, lo, hi), bandedChannel(v.g, lo, hi), bandedChannel(v.r, lo, hi)};
        const int bit = 2 * (p.b * inkToPaper.b + p.g * inkToPaper.g + p.r * inkToPaper.r) <= inkBar ? 1 : 0;
        const int32_t inkMask = -bit;
        const Colour e = {p.b - paper.b + (inkToPaper.b & inkMask), p.g - paper.g + (inkToPaper.g & inkMask),
                          p.r - paper.r + (inkToPaper.r & inkMask)};
        bits = bits * 2 + bit;
        preview[0] = packed[bit] & 0xFF;
        preview[1] = (packed[bit] >> 8) & 0xFF;
        preview[2] = (packed[bit] >> 16) & 0xFF;
        carry = {e.b / 2, e.g / 2, e.r / 2};
        errorB[i] = e.b;
        errorG[i] = e.g;
        errorR[i] = e.r;
    }
    job.scratch.rowPix1[j] = static_cast<uint8_t>(bits);
    b[cellWidth] += carry.b;
    g[cellWidth] += carry.g;
    r[cellWidth] += carry.r;
    int32_t* const belowB = job.picture.workB[y + 1] + x0;
    int32_t* const belowG = job.picture.workG[y + 1] + x0;
    int32_t* const belowR = job.picture.workR[y + 1] + x0;
    Colour spread;
    for (int i = 0; i < cellWidth; ++i) spread = spread + Colour{errorB[i] / 32, errorG[i] / 32, errorR[i] / 32};
    for (int i = 0; i < cellWidth; ++i) {
        belowB[i] += errorB[i] / 4 + spread.b;
        belowG[i] += errorG[i] / 4 + spread.g;
        belowR[i] += errorR[i] / 4 + spread.r;
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

LineCell readLineCell(const Conversion& job, int j, int y)
{
    LineCell pixels;
    for (int i = 0; i < cellWidth; ++i) pixels[i] = workPixel(job, cellWidth * j + i, y);
    return pixels;
}

Colour lineCellMean(const LineCell& pixels)
{
    Colour sum;
    for (const Colour& q : pixels) sum = sum + q;
    return {sum.b / cellWidth, sum.g / cellWidth, sum.r / cellWidth};
}

int64_t lineThreshold(int y, int64_t keepError, double mcLevel)
{
    if (y % 8 == 0) return freeSearchThreshold;
    constexpr long double limit = 4e18L;
    const long double product = static_cast<long double>(keepError) * mcLevel;
    if (product >= limit) return static_cast<int64_t>(limit);
    if (product <= -limit) return -static_cast<int64_t>(limit);
    return static_cast<int64_t>(product);
}

Colour bandLimitedPixel(const Conversion& job, int x, int y)
{
    const uint8_t lo = job.settings.dithLo, hi = job.settings.dithHi;
    return {bandedChannel(job.picture.workB[y][x], lo, hi), bandedChannel(job.picture.workG[y][x], lo, hi),
            bandedChannel(job.picture.workR[y][x], lo, hi)};
}

std::array<int, columnPairs> rankColumnPairs(const std::array<int64_t, 32>& keepError,
                                             const std::array<int64_t, 32>& newError)
{
    std::array<double, columnPairs> ratio{};
    for (int k = 0; k < columnPairs; ++k) {
        const long double keep = static_cast<long double>(keepError[2 * k] + keepError[2 * k + 1] + 1000);
        const long double fresh = static_cast<long double>(newError[2 * k] + newError[2 * k + 1] + 1000);
        ratio[k] = static_cast<double>(keep / fresh);
    }
    // Keep errors are sums of squares, so keep is at least 1000 and no ratio
    // is NaN: ratio, then index, order the pairs totally, and sorting by them
    // gives what picking the largest ratio left, the last among equals, would.
    std::array<int, columnPairs> order;
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&ratio](int a, int b) { return ratio[a] > ratio[b] || (ratio[a] == ratio[b] && a > b); });
    return order;
}

void convMC(const Conversion& job)
{
    Settings settings;
    settings.centeringWeight = job.settings.centering ? 8 : 0;
    settings.limit = job.settings.limitMC;
    settings.evenMC = job.settings.evenMC;
    settings.greyBright = job.settings.brightGrey ? 1 : 0;

    job.scratch.rowAttr1.fill(static_cast<uint8_t>((job.settings.brightOnly ? 64 : 0) + 7));
    const CandidateSet candidates = candidatesOf(job);
    LineChoices line;
    for (int y = 0; y < screenHeight; ++y) {
        searchLine(job, candidates, y, settings, line);
        const int quota = settings.limit && (!settings.evenMC || y % 2 == 0) ? 8 : columnPairs;
        renderLine(job, y, quota, line);
        for (int j = 0; j < columns; ++j) {
            job.screen.scr2[32 * y + j] = job.scratch.rowAttr1[j];
            job.screen.scr1[32 * y + j] = job.scratch.rowPix1[j];
        }
    }
}

}  // namespace dw
