#include "modes/conv_mc.h"

#include <limits>
#include <utility>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
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
struct LineChoices {
    std::array<int64_t, columns> keepError{}, newError{};
    std::array<Pair, columns> keep{}, fresh{};
};

// Paper, ink, half and half, three quarters paper, three quarters ink.
using FiveLevels = std::array<Colour, 5>;

FiveLevels levelsOf(const Conversion& job, Pair pair)
{
    const Colour paper = paletteColourOf(job, pair.paper), ink = paletteColourOf(job, pair.ink);
    const Colour l0 = doubled(paper), l1 = doubled(ink), l2 = paper + ink;
    const Colour l3 = {(l0.b + l2.b) >> 1, (l0.g + l2.g) >> 1, (l0.r + l2.r) >> 1};
    const Colour l4 = {(l1.b + l2.b) >> 1, (l1.g + l2.g) >> 1, (l1.r + l2.r) >> 1};
    return {l0, l1, l2, l3, l4};
}

// Sum of each pixel's least squared distance to the five levels; may stop
// early, above stopAbove, once the running sum exceeds it.
int64_t cellError(const FiveLevels& levels, const LineCell& pixels, int64_t stopAbove)
{
    int64_t sum = 0;
    for (const Colour& q : pixels) {
        sum += min5(squaredDistance(levels[0], q), squaredDistance(levels[1], q), squaredDistance(levels[2], q),
                    squaredDistance(levels[3], q), squaredDistance(levels[4], q));
        if (sum > stopAbove) break;
    }
    return sum;
}

// Per channel, truncated toward zero.
// Best pair whose error is strictly below `threshold`, in search order; the
// previous pair, with the threshold as its error, when none is.
std::pair<int64_t, Pair> searchPair(const Conversion& job, const LineCell& pixels, Pair previous, int64_t threshold,
                                    int centeringWeight)
{
    int64_t best = threshold;
    Pair bestPair = previous;
    const Colour mean = lineCellMean(pixels);
    for (int bright = job.settings.brightOnly ? 1 : 0; bright <= 1; ++bright)
        for (int paper = 8 * bright; paper <= 8 * bright + 6; ++paper)
            for (int ink = paper + 1; ink <= 8 * bright + 7; ++ink) {
                const Colour middle = paletteColourOf(job, paper) + paletteColourOf(job, ink);
                if (!(centeringWeight * squaredDistance64(middle, mean) < best)) continue;
                const int64_t err = cellError(levelsOf(job, {paper, ink}), pixels, best);
                if (err < best) {
                    best = err;
                    bestPair = {paper, ink};
                }
            }
    return {best, bestPair};
}

void searchLine(const Conversion& job, int y, const Settings& settings, LineChoices& line)
{
    const Pair grey = {8 * settings.greyBright, 8 * settings.greyBright + 7};
    const bool greyLine = settings.evenMC && y % 2 == 1;
    for (int j = 0; j < columns; ++j) {
        const LineCell pixels = readLineCell(job, j, y);
        const Pair previous = {paperIndex(job.scratch.rowAttr1[j]), inkIndex(job.scratch.rowAttr1[j])};
        line.keep[j] = previous;
        line.keepError[j] = cellError(levelsOf(job, previous), pixels, std::numeric_limits<int64_t>::max());
        if (greyLine) {
            line.fresh[j] = grey;
            line.newError[j] = cellError(levelsOf(job, grey), pixels, std::numeric_limits<int64_t>::max());
        } else {
            const int64_t threshold = lineThreshold(y, line.keepError[j], job.settings.mcLevel);
            const auto [error, pair] = searchPair(job, pixels, previous, threshold, settings.centeringWeight);
            line.newError[j] = error;
            line.fresh[j] = pair;
        }
    }
}

void setSlot(const Conversion& job, int slot, const Colour& c)
{
    job.scratch.cellColB[slot] = c.b;
    job.scratch.cellColG[slot] = c.g;
    job.scratch.cellColR[slot] = c.r;
}

Colour share(const Colour& e, int shift)
{
    return {errorShare(e.b, 1, shift), errorShare(e.g, 1, shift), errorShare(e.r, 1, shift)};
}

// Half to the right, a quarter below, and a thirty-second to each of the
// eight pixels under the cell (so the pixel below gets 1/4 + 1/32).
void diffuseError(const Conversion& job, int j, int x, int y, const Colour& e)
{
    addToWork(job, x + 1, y, share(e, 1));
    addToWork(job, x, y + 1, share(e, 2));
    const Colour spread = share(e, 5);
    for (int below = cellWidth * j; below < cellWidth * j + cellWidth; ++below) addToWork(job, below, y + 1, spread);
}

void renderCell(const Conversion& job, int j, int y, Pair pair)
{
    job.scratch.rowAttr1[j] = makeAttribute(pair.paper, pair.ink);
    const Colour paper = doubled(paletteColourOf(job, pair.paper)), ink = doubled(paletteColourOf(job, pair.ink));
    setSlot(job, 0, paper);
    setSlot(job, 1, ink);
    setSlot(job, 2, paletteColourOf(job, pair.paper) + paletteColourOf(job, pair.ink));

    if (job.settings.projecting)
        for (int x = cellWidth * j; x < cellWidth * j + cellWidth; ++x) {
            const Colour moved = projectOntoSegment({job.picture.workB[y][x], job.picture.workG[y][x], job.picture.workR[y][x]}, paper, ink);
            job.picture.workB[y][x] = moved.b;
            job.picture.workG[y][x] = moved.g;
            job.picture.workR[y][x] = moved.r;
        }

    for (int x = cellWidth * j; x < cellWidth * j + cellWidth; ++x) {
        const Colour p = bandLimitedPixel(job, x, y);
        const int bit = argmin2(squaredDistance(paper, p), squaredDistance(ink, p));
        const Colour& chosen = bit ? ink : paper;
        job.scratch.rowPix1[j] = static_cast<uint8_t>(job.scratch.rowPix1[j] * 2 + bit);
        job.screen.zxBitmap.setPixel(x, y, packColour(chosen));
        diffuseError(job, j, x, y, {p.b - chosen.b, p.g - chosen.g, p.r - chosen.r});
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
    std::array<bool, columnPairs> taken{};
    std::array<int, columnPairs> order{};
    for (int rank = 0; rank < columnPairs; ++rank) {
        int pick = -1;
        for (int k = 0; k < columnPairs; ++k)
            if (!taken[k] && (pick < 0 || ratio[k] >= ratio[pick])) pick = k;
        taken[pick] = true;
        order[rank] = pick;
    }
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
    LineChoices line;
    for (int y = 0; y < screenHeight; ++y) {
        searchLine(job, y, settings, line);
        const int quota = settings.limit && (!settings.evenMC || y % 2 == 0) ? 8 : columnPairs;
        renderLine(job, y, quota, line);
        for (int j = 0; j < columns; ++j) {
            job.screen.scr2[32 * y + j] = job.scratch.rowAttr1[j];
            job.screen.scr1[32 * y + j] = job.scratch.rowPix1[j];
        }
    }
}

}  // namespace dw
