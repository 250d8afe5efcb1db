#include "modes/giga_search.h"

#include <algorithm>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/mix_table.h"
#include "colour/palette.h"

namespace dw {
namespace {

constexpr int levelValue(int k) { return 63 * k / 2; }

int smallest(int a, int b) { return a < b ? a : b; }

// Squared distance from v to the range lo..hi, 0 inside it.
int squaredGap(int v, int lo, int hi)
{
    const int gap = v < lo ? lo - v : (v > hi ? v - hi : 0);
    return gap * gap;
}

// A default palette entry is 0, 63 or 126: a mix channel 63j is level 2j, and
// half the sum of four entries, 63k shifted right by 1, is level k.
std::array<uint8_t, 3> centreLevels(const Quadruple& q)
{
    auto level = [&](const PaletteTable& pal) {
        return static_cast<uint8_t>((pal[q.p1] + pal[q.i1] + pal[q.p2] + pal[q.i2]) / 63);
    };
    return {level(defaultPalB), level(defaultPalG), level(defaultPalR)};
}

}  // namespace

GigaSearch::GigaSearch(const Tables& tables, int weight) : weight_(weight)
{
    const Palette standard;
    for (const auto& e : tables.gigaTab) {
        if (e[1] - e[0] == e[3] - e[2]) continue;  // never chosen
        Record& r = records_[recordCount_++];
        r.quad = {e[0], e[1], e[2], e[3]};
        r.mix = {e[4], e[5], e[6], e[7]};
        r.centre = centreLevels(r.quad);
        r.centreColour = {levelValue(r.centre[0]), levelValue(r.centre[1]), levelValue(r.centre[2])};
    }
}

int GigaSearch::fiveMixError(const CellPixels& px, const Quadruple& q)
{
    const std::array<Colour, 4> m = mixesOf(Palette{}, q);
    const Colour c = {(m[0].b + m[3].b) >> 1, (m[0].g + m[3].g) >> 1, (m[0].r + m[3].r) >> 1};
    int sum = 0;
    for (const Colour& p : px)
        sum += min5(squaredDistance(m[0], p), squaredDistance(m[1], p), squaredDistance(m[2], p),
                    squaredDistance(c, p), squaredDistance(m[3], p));
    return sum;
}

void GigaSearch::measureCell(const CellPixels& px)
{
    Colour lo = px[0], hi = px[0];
    for (const Colour& p : px) {
        lo = {std::min(lo.b, p.b), std::min(lo.g, p.g), std::min(lo.r, p.r)};
        hi = {std::max(hi.b, p.b), std::max(hi.g, p.g), std::max(hi.r, p.r)};
    }
    for (int k = 0; k < levelCount; ++k) {
        const int v = levelValue(k);
        for (int p = 0; p < 64; ++p) {
            levelDist_[0][k][p] = (v - px[p].b) * (v - px[p].b);
            levelDist_[1][k][p] = (v - px[p].g) * (v - px[p].g);
            levelDist_[2][k][p] = (v - px[p].r) * (v - px[p].r);
        }
        levelFloor_[0][k] = squaredGap(v, lo.b, hi.b);
        levelFloor_[1][k] = squaredGap(v, lo.g, hi.g);
        levelFloor_[2][k] = squaredGap(v, lo.r, hi.r);
    }
    // Exact integers, so a sum of channels equals squaredDistance.
    for (int k = 0; k < mixCount; ++k) {
        const int b = mixTable[k].b * 2 / 63, g = mixTable[k].g * 2 / 63, r = mixTable[k].r * 2 / 63;
        for (int p = 0; p < 64; ++p) mixDist_[k][p] = levelDist_[0][b][p] + levelDist_[1][g][p] + levelDist_[2][r][p];
        mixFloor_[k] = levelFloor_[0][b] + levelFloor_[1][g] + levelFloor_[2][r];
    }
}

int GigaSearch::centreDistance(const Record& r, int p) const
{
    return levelDist_[0][r.centre[0]][p] + levelDist_[1][r.centre[1]][p] + levelDist_[2][r.centre[2]][p];
}

// The record's cell error when it is below limit, otherwise some value of at
// least limit. Every pixel lies in the cell's colour range, so no pixel's
// term is below `floor`: the pixels not yet summed add at least that each.
int GigaSearch::errorBelow(const Record& r, int limit) const
{
    const int centreFloor = levelFloor_[0][r.centre[0]] + levelFloor_[1][r.centre[1]] + levelFloor_[2][r.centre[2]];
    const int floor = smallest(smallest(smallest(mixFloor_[r.mix[0]], mixFloor_[r.mix[1]]),
                                        smallest(mixFloor_[r.mix[2]], mixFloor_[r.mix[3]])),
                               centreFloor);
    if (64 * floor >= limit) return 64 * floor;
    const auto &d0 = mixDist_[r.mix[0]], &d1 = mixDist_[r.mix[1]], &d2 = mixDist_[r.mix[2]], &d3 = mixDist_[r.mix[3]];
    int sum = 0;
    for (int row = 0; row < 8; ++row) {
        for (int p = 8 * row; p < 8 * row + 8; ++p)
            sum += smallest(smallest(smallest(d0[p], d1[p]), smallest(d2[p], d3[p])), centreDistance(r, p));
        const int bound = sum + (56 - 8 * row) * floor;
        if (bound >= limit) return bound;
    }
    return sum;
}

Quadruple GigaSearch::choose(const CellPixels& px, const Quadruple& keep)
{
    int bestError = fiveMixError(px, keep);
    const Record* best = nullptr;
    measureCell(px);
    Colour sum;
    for (const Colour& p : px) sum = sum + p;
    const Colour mean = {sum.b / 64, sum.g / 64, sum.r / 64};
    for (int k = 0; k < recordCount_; ++k) {
        const Record& r = records_[k];
        if (!(weight_ * squaredDistance(r.centreColour, mean) < bestError)) continue;
        const int error = errorBelow(r, bestError);
        if (error < bestError) bestError = error, best = &r;
    }
    return best ? best->quad : keep;
}

}  // namespace dw
