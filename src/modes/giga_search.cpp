#include "modes/giga_search.h"

#include <algorithm>
#include <bit>

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

using Row = std::array<int32_t, 8>;

// One group's terms summed: per pixel the nearest of four mixes and the
// centre, given by its three channel terms.
#if defined(__SSE2__)
__m128i smallest(__m128i a, __m128i b)
{
    const __m128i greater = _mm_cmpgt_epi32(a, b);
    return _mm_or_si128(_mm_and_si128(greater, b), _mm_andnot_si128(greater, a));
}

int groupError(const Row& d0, const Row& d1, const Row& d2, const Row& d3, const Row& cb, const Row& cg, const Row& cr)
{
    auto load = [](const Row& row, int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.data() + i)); };
    auto nearest = [&](int i) {
        const __m128i centre = _mm_add_epi32(_mm_add_epi32(load(cb, i), load(cg, i)), load(cr, i));
        return smallest(smallest(smallest(load(d0, i), load(d1, i)), smallest(load(d2, i), load(d3, i))), centre);
    };
    __m128i sum = _mm_add_epi32(nearest(0), nearest(4));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4e));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xb1));
    return _mm_cvtsi128_si32(sum);
}
#else
int groupError(const Row& d0, const Row& d1, const Row& d2, const Row& d3, const Row& cb, const Row& cg, const Row& cr)
{
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += std::min(std::min(std::min(d0[i], d1[i]), std::min(d2[i], d3[i])), cb[i] + cg[i] + cr[i]);
    return sum;
}
#endif

// The lanes' sum: pairs added in 32 bits, then the four pair sums.
int32_t laneTotal(Lanes a)
{
#if defined(__SSE2__)
    __m128i sum = _mm_madd_epi16(a.v, _mm_set1_epi16(1));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4e));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xb1));
    return _mm_cvtsi128_si32(sum);
#else
    return laneSum(a);
#endif
}

// (v - x)^2 for v a level and x in 0..255: the difference fits 16 bits and
// its square, at most 255^2, 16 bits unsigned, where it vectorises at a
// third of the cost.
void squaresOfByteDifferences(int v, const std::array<int16_t, 64>& x, std::array<std::array<int32_t, 8>, 8>& out)
{
    for (int g = 0; g < 8; ++g)
        for (int i = 0; i < 8; ++i) {
            const int16_t d = static_cast<int16_t>(v - x[8 * g + i]);
            out[g][i] = static_cast<uint16_t>(d * d);
        }
}

}  // namespace

GigaSearch::GigaSearch(const Tables& tables, Scratch& scratch, int weight) : scratch_(scratch), weight_(weight)
{
    constexpr int noCentre = -1;
    std::array<int, levelCount * levelCount * levelCount> centreIds;
    centreIds.fill(noCentre);
    std::vector<std::vector<UserWord>> users;  // per centre
    for (const auto& e : tables.gigaTab) {
        if (e[1] - e[0] == e[3] - e[2]) continue;  // never chosen
        Record& r = records_[recordCount_];
        r.quad = {e[0], e[1], e[2], e[3]};
        r.mix = {e[4], e[5], e[6], e[7]};
        r.centre = centreLevels(r.quad);
        for (uint8_t k : r.mix) mixUsers_[k][recordCount_ / 64] |= uint64_t{1} << (recordCount_ % 64);
        int& id = centreIds[(r.centre[0] * levelCount + r.centre[1]) * levelCount + r.centre[2]];
        if (id == noCentre) {
            id = static_cast<int>(centres_.size());
            centres_.push_back(r.centre);
            users.emplace_back();
        }
        r.centreId = static_cast<uint16_t>(id);
        auto& words = users[id];
        const uint16_t word = static_cast<uint16_t>(recordCount_ / 64);
        if (words.empty() || words.back().word != word) words.push_back({word, 0});
        words.back().bits |= uint64_t{1} << (recordCount_ % 64);
        ++recordCount_;
    }
    centreStart_.push_back(0);
    for (const auto& words : users) {
        centreWords_.insert(centreWords_.end(), words.begin(), words.end());
        centreStart_.push_back(static_cast<uint16_t>(centreWords_.size()));
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
// Brightness and position share one key, so that the sort moves integers.
void GigaSearch::sortCell(const CellPixels& px)
{
    std::array<int64_t, 64> keys;
    for (int p = 0; p < 64; ++p) keys[p] = (int64_t{px[p].b} + px[p].g + px[p].r) * 64 + p;
    std::sort(keys.begin(), keys.end());
    for (int p = 0; p < 64; ++p) sorted_[p] = px[keys[p] & 63];
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
        const bool bytes = cellLo >= 0 && cellHi <= 255;
        std::array<int16_t, 64> narrow;
        if (bytes) std::copy(channel[c].begin(), channel[c].end(), narrow.begin());
        for (int k = 0; k < levelCount; ++k) {
            const int v = levelValue(k);
            auto& dist = scratch_.levelDist[c][k];
            if (bytes)
                squaresOfByteDifferences(v, narrow, dist);
            else
                for (int g = 0; g < 8; ++g)
                    for (int i = 0; i < 8; ++i) dist[g][i] = (v - channel[c][8 * g + i]) * (v - channel[c][8 * g + i]);
            levelFloor_[c][k] = squaredGap(v, cellLo, cellHi);
            for (int g = 0; g < 8; ++g)
                levelGroupFloor_[c][k][g] = static_cast<int16_t>(std::min(squaredGap(v, lo[g], hi[g]), 32767));
        }
    }
    for (int k = 0; k < mixCount; ++k) {
        const auto& l = mixLevels_[k];
        mixGroupFloor_[k] = storeLanes(groupFloors(l));
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

// Saturating sums of capped floors stay at or below the exact sums.
Lanes GigaSearch::groupFloors(const std::array<uint8_t, 3>& levels) const
{
    const Lanes b = loadLanes(levelGroupFloor_[0][levels[0]]), g = loadLanes(levelGroupFloor_[1][levels[1]]);
    return addSaturated(addSaturated(b, g), loadLanes(levelGroupFloor_[2][levels[2]]));
}

// weight * (level - channel of the mean)^2: summed over the channels of a
// centre, the pre-filter's weight * |centre - mean|^2.
void GigaSearch::weighCentres(const CellPixels& px)
{
    Colour sum;
    for (const Colour& p : px) sum = sum + p;
    const std::array<int, 3> mean = {sum.b / 64, sum.g / 64, sum.r / 64};
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < levelCount; ++k)
            levelWeight_[c][k] = weight_ * (levelValue(k) - mean[c]) * (levelValue(k) - mean[c]);
}

int GigaSearch::centreWeight(const std::array<uint8_t, 3>& levels) const
{
    return levelWeight_[0][levels[0]] + levelWeight_[1][levels[1]] + levelWeight_[2][levels[2]];
}

int GigaSearch::centreFloor(const std::array<uint8_t, 3>& levels) const
{
    return levelFloor_[0][levels[0]] + levelFloor_[1][levels[1]] + levelFloor_[2][levels[2]];
}

void GigaSearch::addCentreUsers(RecordSet& set, int c) const
{
    for (int u = centreStart_[c]; u < centreStart_[c + 1]; ++u) set[centreWords_[u].word] |= centreWords_[u].bits;
}

// With the pre-filter, the records whose centre passes it; otherwise those
// with a colour whose floor, 64 times over, is below limit, as a record's
// error is at least that for the least of its colours' floors. The limit
// only falls while the records are tried.
GigaSearch::RecordSet GigaSearch::candidates(int limit) const
{
    RecordSet set{};
    if (weight_ > 0) {
        for (size_t c = 0; c < centres_.size(); ++c)
            if (centreWeight(centres_[c]) < limit) addCentreUsers(set, static_cast<int>(c));
        return set;
    }
    for (int k = 0; k < mixCount; ++k)
        if (64 * mixFloor_[k] < limit)
            for (size_t w = 0; w < set.size(); ++w) set[w] |= mixUsers_[k][w];
    for (size_t c = 0; c < centres_.size(); ++c)
        if (64 * centreFloor(centres_[c]) < limit) addCentreUsers(set, static_cast<int>(c));
    return set;
}

// Group by group, the exact terms in place of the group's floor in bound.
int GigaSearch::exactBelow(const Record& r, const LaneRow& floors, int bound, int limit)
{
    const auto& m = r.mix;
    const auto& c = r.centre;
    const CellTable &d0 = mixDist(m[0]), &d1 = mixDist(m[1]), &d2 = mixDist(m[2]), &d3 = mixDist(m[3]);
    const auto &cb = scratch_.levelDist[0][c[0]], &cg = scratch_.levelDist[1][c[1]], &cr = scratch_.levelDist[2][c[2]];
    for (int g = 0; g < 8; ++g) {
        bound += groupError(d0[g], d1[g], d2[g], d3[g], cb[g], cg[g], cr[g]) - 8 * floors[g];
        if (bound >= limit) return bound;
    }
    return bound;
}

// The record's cell error when it is below limit, otherwise some value of at
// least limit: first the bound from each group's range of colours, then the
// exact terms. Inline, as most records end at the bound.
inline int GigaSearch::errorBelow(const Record& r, int limit)
{
    const auto& m = r.mix;
    const Lanes nearest = minLanes(minLanes(minLanes(loadLanes(mixGroupFloor_[m[0]]), loadLanes(mixGroupFloor_[m[1]])),
                                            minLanes(loadLanes(mixGroupFloor_[m[2]]), loadLanes(mixGroupFloor_[m[3]]))),
                                   groupFloors(r.centre));
    const int bound = 8 * laneTotal(nearest);
    if (bound >= limit) return bound;
    return exactBelow(r, storeLanes(nearest), bound, limit);
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
    weighCentres(px);
    const RecordSet set = candidates(bestError);
    for (size_t w = 0; w < set.size() && bestError > 0; ++w)  // no error is below 0
        for (uint64_t bits = set[w]; bits && bestError > 0; bits &= bits - 1) {
            const Record& r = records_[64 * w + std::countr_zero(bits)];
            if (weight_ > 0 && !(centreWeight(r.centre) < bestError)) continue;
            const int error = errorBelow(r, bestError);
            if (error < bestError) bestError = error, best = &r;
        }
    if (!best) return keep;
    lastChosen_ = best;
    return best->quad;
}

}  // namespace dw
