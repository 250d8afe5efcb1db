#include "modes/giga_search.h"

#include <algorithm>

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

GigaSearch::GigaSearch(const Tables& tables, Scratch& scratch, int weight) : scratch_(scratch), weight_(weight)
{
    for (const auto& e : tables.gigaTab) {
        if (e[1] - e[0] == e[3] - e[2]) continue;  // never chosen
        Record& r = records_[recordCount_++];
        r.quad = {e[0], e[1], e[2], e[3]};
        r.mix = {e[4], e[5], e[6], e[7]};
        r.centre = centreLevels(r.quad);
    }
    for (int k = 0; k < mixCount; ++k)
        mixLevels_[k] = {static_cast<uint8_t>(mixTable[k].b / 63 * 2), static_cast<uint8_t>(mixTable[k].g / 63 * 2),
                         static_cast<uint8_t>(mixTable[k].r / 63 * 2)};
}

int GigaSearch::keepError(const Quadruple& q) const
{
    auto level = [](int entries) { return static_cast<uint8_t>(entries / 63); };
    auto mix = [&](int x, int y) {
        return std::array{level(defaultPalB[x] + defaultPalB[y]) * 2, level(defaultPalG[x] + defaultPalG[y]) * 2,
                          level(defaultPalR[x] + defaultPalR[y]) * 2};
    };
    const std::array<uint8_t, 3> centre = centreLevels(q);
    const std::array<std::array<int, 3>, 5> colours = {
        mix(q.p1, q.p2), mix(q.i1, q.p2), mix(q.p1, q.i2), mix(q.i1, q.i2), {centre[0], centre[1], centre[2]}};
    const auto& l = scratch_.levelDist;
    int sum = 0;
    for (int g = 0; g < 8; ++g)
        for (int i = 0; i < 8; ++i) {
            int term = l[0][colours[0][0]][g][i] + l[1][colours[0][1]][g][i] + l[2][colours[0][2]][g][i];
            for (const auto& c : colours) term = smallest(term, l[0][c[0]][g][i] + l[1][c[1]][g][i] + l[2][c[2]][g][i]);
            sum += term;
        }
    return sum;
}

// Sorting changes no error: a cell error adds the same 64 terms in any order.
void GigaSearch::sortCell(const CellPixels& px)
{
    sorted_ = px;
    std::sort(sorted_.begin(), sorted_.end(),
              [](const Colour& a, const Colour& c) { return a.b + a.g + a.r < c.b + c.g + c.r; });
}

void GigaSearch::measureCell()
{
    // The sorted pixels' channels apart, so that the loops below vectorise.
    std::array<std::array<int32_t, 64>, 3> channel;
    for (int p = 0; p < 64; ++p)
        channel[0][p] = sorted_[p].b, channel[1][p] = sorted_[p].g, channel[2][p] = sorted_[p].r;
    for (int c = 0; c < 3; ++c) {
        std::array<int32_t, 8> lo, hi;
        for (int g = 0; g < 8; ++g) {
            lo[g] = *std::min_element(&channel[c][8 * g], &channel[c][8 * g + 8]);
            hi[g] = *std::max_element(&channel[c][8 * g], &channel[c][8 * g + 8]);
        }
        const int cellLo = *std::min_element(lo.begin(), lo.end()), cellHi = *std::max_element(hi.begin(), hi.end());
        for (int k = 0; k < levelCount; ++k) {
            const int v = levelValue(k);
            for (int g = 0; g < 8; ++g)
                for (int i = 0; i < 8; ++i) scratch_.levelDist[c][k][g][i] = (v - channel[c][8 * g + i]) * (v - channel[c][8 * g + i]);
            levelFloor_[c][k] = squaredGap(v, cellLo, cellHi);
            for (int g = 0; g < 8; ++g) levelGroupFloor_[c][k][g] = squaredGap(v, lo[g], hi[g]);
        }
    }
    for (int k = 0; k < mixCount; ++k) {
        const auto& l = mixLevels_[k];
        for (int g = 0; g < 8; ++g)
            mixGroupFloor_[k][g] = levelGroupFloor_[0][l[0]][g] + levelGroupFloor_[1][l[1]][g] + levelGroupFloor_[2][l[2]][g];
        mixFloor_[k] = levelFloor_[0][l[0]] + levelFloor_[1][l[1]] + levelFloor_[2][l[2]];
    }
    mixReady_.fill(false);
}

// Filled the first time a record of the cell needs it: exact integers, so the
// sum of the channels' terms equals squaredDistance.
const GigaSearch::CellTable& GigaSearch::mixDist(int k)
{
    auto& d = scratch_.mixDist[k];
    if (mixReady_[k]) return d;
    const auto& l = mixLevels_[k];
    const auto &b = scratch_.levelDist[0][l[0]], &g = scratch_.levelDist[1][l[1]], &r = scratch_.levelDist[2][l[2]];
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) d[j][i] = b[j][i] + g[j][i] + r[j][i];
    mixReady_[k] = true;
    return d;
}

// No pixel's term is below the smallest distance from the record's colours
// to the cell's range of colours.
int GigaSearch::cellFloor(const Record& r) const
{
    const auto& m = r.mix;
    const auto& c = r.centre;
    const int centreFloor = levelFloor_[0][c[0]] + levelFloor_[1][c[1]] + levelFloor_[2][c[2]];
    return smallest(smallest(smallest(mixFloor_[m[0]], mixFloor_[m[1]]), smallest(mixFloor_[m[2]], mixFloor_[m[3]])),
                    centreFloor);
}

// The record's cell error when it is below limit, otherwise some value of at
// least limit: first the bound from each group's range of colours, then group
// by group the exact terms in place of the group's bound.
int GigaSearch::errorBelow(const Record& r, int limit)
{
    const auto& m = r.mix;
    const auto& c = r.centre;
    const auto &f0 = mixGroupFloor_[m[0]], &f1 = mixGroupFloor_[m[1]], &f2 = mixGroupFloor_[m[2]], &f3 = mixGroupFloor_[m[3]];
    const auto &fb = levelGroupFloor_[0][c[0]], &fg = levelGroupFloor_[1][c[1]], &fr = levelGroupFloor_[2][c[2]];
    std::array<int, 8> groupFloor;
    int bound = 0;
    for (int g = 0; g < 8; ++g) {
        groupFloor[g] = 8 * smallest(smallest(smallest(f0[g], f1[g]), smallest(f2[g], f3[g])), fb[g] + fg[g] + fr[g]);
        bound += groupFloor[g];
    }
    if (bound >= limit) return bound;

    const CellTable &d0 = mixDist(m[0]), &d1 = mixDist(m[1]), &d2 = mixDist(m[2]), &d3 = mixDist(m[3]);
    const auto &cb = scratch_.levelDist[0][c[0]], &cg = scratch_.levelDist[1][c[1]], &cr = scratch_.levelDist[2][c[2]];
    for (int g = 0; g < 8; ++g) {
        int sum = 0;
        for (int i = 0; i < 8; ++i)
            sum += smallest(smallest(smallest(d0[g][i], d1[g][i]), smallest(d2[g][i], d3[g][i])),
                            cb[g][i] + cg[g][i] + cr[g][i]);
        bound += sum - groupFloor[g];
        if (bound >= limit) return bound;
    }
    return bound;
}

Quadruple GigaSearch::choose(const CellPixels& px, const Quadruple& keep)
{
    sortCell(px);
    measureCell();
    int bestError = keepError(keep);
    const Record* best = nullptr;
    // Without the pre-filter the first record of the smallest error wins in
    // whatever order they are tried, so the one chosen last, likely as good
    // here, may set the limit first: one above its error, so that every
    // record that ties with it still wins in table order below.
    if (weight_ == 0 && lastChosen_) bestError = std::min(bestError, errorBelow(*lastChosen_, bestError) + 1);
    // weight * (level - channel of the mean)^2: summed over the channels of a
    // centre, the pre-filter's weight * |centre - mean|^2.
    Colour sum;
    for (const Colour& p : px) sum = sum + p;
    const std::array<int, 3> mean = {sum.b / 64, sum.g / 64, sum.r / 64};
    std::array<std::array<int, levelCount>, 3> weighted;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < levelCount; ++k) weighted[c][k] = weight_ * (levelValue(k) - mean[c]) * (levelValue(k) - mean[c]);
    for (int k = 0; k < recordCount_ && bestError > 0; ++k) {  // no error is below 0
        const Record& r = records_[k];
        if (!(weighted[0][r.centre[0]] + weighted[1][r.centre[1]] + weighted[2][r.centre[2]] < bestError)) continue;
        if (64 * cellFloor(r) >= bestError) continue;
        const int error = errorBelow(r, bestError);
        if (error < bestError) bestError = error, best = &r;
    }
    if (!best) return keep;
    lastChosen_ = best;
    return best->quad;
}

}  // namespace dw
