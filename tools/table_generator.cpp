#include "table_generator.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>

#include "colour/palette.h"

namespace dw::tools {

// ---- The 8x2 strip code ---------------------------------------------------

namespace {

struct BlockPixel {
    int dx, dy;
};

// The order in which ink fills a 2x2 block as its count rises: top left, then
// bottom right (so count 2 is a diagonal), top right, bottom left. Each count's
// pattern holds the one below it, and every block of a flat area gets the same
// pattern, so flat areas tile evenly.
constexpr std::array<BlockPixel, 4> fillOrder = {{{0, 0}, {1, 1}, {1, 0}, {0, 1}}};

// Pixel (x, y) of a flat area whose 2x2 blocks all hold `level` inks.
bool flatInk(int level, int x, int y)
{
    for (int k = 0; k < level; ++k)
        if (fillOrder[k].dx == x % 2 && fillOrder[k].dy == y % 2) return true;
    return false;
}

// levelAt(x, y) gives the ink count of the flat area that pixel (x, y) lies in.
template <typename LevelAt>
CountVector stripCounts(LevelAt levelAt)
{
    CountVector d{};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) d[x / 2] += flatInk(levelAt(x, y), x, y) ? 1 : 0;
    return d;
}

bool withinTwo(const CountVector& d)
{
    const auto [lo, hi] = std::minmax_element(d.begin(), d.end());
    return *hi - *lo <= 2;
}

// Strips cut by a hard edge between two flat areas, most important first: by
// falling contrast between the areas; at equal contrast a straight vertical
// edge, then an edge slanted by one pixel between the two lines. Repeats and
// strips within two are left in.
std::vector<CountVector> edgeStrips()
{
    std::vector<CountVector> out;
    for (int contrast : {4, 3}) {
        std::vector<CountVector> vertical, slanted;
        for (int a = 0; a <= 4; ++a)
            for (int b = 0; b <= 4; ++b) {
                if (std::abs(a - b) != contrast) continue;
                for (int e = 1; e < 8; ++e) {  // a left of pixel e, b from it on
                    vertical.push_back(stripCounts([&](int x, int) { return x < e ? a : b; }));
                    for (int s : {1, -1})
                        slanted.push_back(stripCounts([&](int x, int y) { return x < e + s * y ? a : b; }));
                }
            }
        out.insert(out.end(), vertical.begin(), vertical.end());
        out.insert(out.end(), slanted.begin(), slanted.end());
    }
    return out;
}

int sumOf(const CountVector& d) { return d[0] + d[1] + d[2] + d[3]; }

// Nearest by the sum of absolute count differences; ties go to the code that
// keeps the strip's total ink, then to the least sum of squared differences,
// then to the lower code.
int nearestCode(const CountVector& d, const std::vector<CountVector>& coded)
{
    auto key = [&](int c) {
        int absolute = 0, squared = 0;
        for (int j = 0; j < 4; ++j) {
            const int diff = d[j] - coded[c][j];
            absolute += std::abs(diff);
            squared += diff * diff;
        }
        return std::make_tuple(absolute, std::abs(sumOf(d) - sumOf(coded[c])), squared, c);
    };
    int best = 0;
    for (int c = 1; c < static_cast<int>(coded.size()); ++c)
        if (key(c) < key(best)) best = c;
    return best;
}

}  // namespace

CountVector countVector(int n) { return {n / 125, n / 25 % 5, n / 5 % 5, n % 5}; }

int stripNumberOf(const CountVector& d) { return 125 * d[0] + 25 * d[1] + 5 * d[2] + d[3]; }

std::vector<CountVector> codedVectors()
{
    std::array<bool, stripVectorCount> coded{};
    int spare = stripCodeCount;
    for (int n = 0; n < stripVectorCount; ++n)
        if (withinTwo(countVector(n))) coded[n] = true, --spare;
    for (const auto& d : edgeStrips()) {
        if (spare == 0) break;
        const int n = stripNumberOf(d);
        if (!coded[n]) coded[n] = true, --spare;
    }
    std::vector<CountVector> out;
    for (int n = 0; n < stripVectorCount; ++n)
        if (coded[n]) out.push_back(countVector(n));
    return out;
}

std::vector<uint8_t> makeCodeTable()
{
    const auto coded = codedVectors();
    std::vector<uint8_t> out(stripVectorCount);
    for (int n = 0; n < stripVectorCount; ++n) out[n] = static_cast<uint8_t>(nearestCode(countVector(n), coded));
    return out;
}

std::vector<uint8_t> makeDecoTable()
{
    const auto coded = codedVectors();
    std::vector<uint8_t> out(2 * stripCodeCount);
    for (int c = 0; c < stripCodeCount; ++c) {
        uint8_t lines[2] = {0, 0};
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < coded[c][j]; ++k)
                lines[fillOrder[k].dy] |= static_cast<uint8_t>(1 << (7 - 2 * j - fillOrder[k].dx));
        out[c] = lines[0];
        out[stripCodeCount + c] = lines[1];
    }
    return out;
}

// ---- The gigascreen records -------------------------------------------------

namespace {

Colour colourOf(int k) { return paletteColour(defaultPalB, defaultPalG, defaultPalR, k); }

Colour difference(const Colour& a, const Colour& c) { return {a.b - c.b, a.g - c.g, a.r - c.r}; }

int64_t squaredLength(const Colour& c) { return int64_t(c.b) * c.b + int64_t(c.g) * c.g + int64_t(c.r) * c.r; }

// M0 = paper 1 + paper 2, M1 = ink 1 + paper 2, M2 = paper 1 + ink 2,
// M3 = ink 1 + ink 2.
std::array<Colour, 4> mixesOf(const Record& r)
{
    return {colourOf(r.paper1) + colourOf(r.paper2), colourOf(r.ink1) + colourOf(r.paper2),
            colourOf(r.paper1) + colourOf(r.ink2), colourOf(r.ink1) + colourOf(r.ink2)};
}

// Sorted packed colours without repeats.
using ColourSet = std::vector<uint32_t>;

ColourSet setOf(std::vector<Colour> colours)
{
    ColourSet out;
    for (const auto& c : colours) out.push_back(packColour(c));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

ColourSet mixSet(const Record& r)
{
    const auto m = mixesOf(r);
    return setOf({m.begin(), m.end()});
}

// The sum of the record's four palette entries, twice its centre.
Colour entrySum(const Record& r)
{
    return colourOf(r.paper1) + colourOf(r.ink1) + colourOf(r.paper2) + colourOf(r.ink2);
}

// The colours a record's cell error is measured against: its mixes and centre.
ColourSet errorColours(const Record& r)
{
    const auto m = mixesOf(r);
    const Colour sum = entrySum(r);
    return setOf({m[0], m[1], m[2], m[3], Colour{sum.b >> 1, sum.g >> 1, sum.r >> 1}});
}

bool skippedByGigascreen(const Record& r) { return r.ink1 - r.paper1 == r.ink2 - r.paper2; }

// Whether the gigascreen converter can project onto the record's mixes and
// split them into ink shares: its line case needs four grey-like steps from
// black, its plane case two sides that are not parallel.
bool projectsSoundly(const Record& r)
{
    const auto m = mixesOf(r);
    if (m[2] == doubled(m[1])) return m[0] == Colour{} && m[1] != Colour{};
    const Colour a = difference(m[1], m[0]), b = difference(m[2], m[0]);
    return int64_t(a.g) * b.r != int64_t(a.r) * b.g || int64_t(a.r) * b.b != int64_t(a.b) * b.r ||
           int64_t(a.b) * b.g != int64_t(a.g) * b.b;
}

// Among the records that show the same mixes, the smallest key is stored.
auto representativeKey(const Record& r)
{
    return std::make_tuple(skippedByGigascreen(r), !projectsSoundly(r), r.paper1 > r.ink1 || r.paper2 > r.ink2,
                           r.paper1, r.ink1, r.paper2, r.ink2);
}

struct Candidate {
    Record record;
    int group;       // 0 sound four mixes, 1 other four mixes, 2 three mixes, 3 two mixes
    int64_t spread;  // squared ink - paper distances of both screens
    int64_t tint;    // distance of the centre from the grey axis, scaled
};

auto orderKey(const Candidate& c)
{
    const Record& r = c.record;
    return std::make_tuple(c.group, c.spread, c.tint, r.paper1, r.ink1, r.paper2, r.ink2);
}

Candidate candidateFor(const Record& r, size_t mixCount)
{
    const int64_t spread = squaredLength(difference(colourOf(r.ink1), colourOf(r.paper1))) +
                           squaredLength(difference(colourOf(r.ink2), colourOf(r.paper2)));
    const Colour s = entrySum(r);
    const int64_t total = s.b + s.g + s.r;
    const int64_t tint = 3 * squaredLength(s) - total * total;
    int group = 3;
    if (mixCount == 4) group = projectsSoundly(r) ? 0 : 1;
    if (mixCount == 3) group = 2;
    return {r, group, spread, tint};
}

bool sameBright(int paper, int ink) { return (paper >> 3) == (ink >> 3); }

// Every expressible record, one per set of mixes, chosen by representativeKey.
std::map<ColourSet, Record> representatives()
{
    std::map<ColourSet, Record> best;
    for (int p1 = 0; p1 < 16; ++p1)
        for (int i1 = 0; i1 < 16; ++i1)
            for (int p2 = 0; p2 < 16; ++p2)
                for (int i2 = 0; i2 < 16; ++i2) {
                    if (!sameBright(p1, i1) || !sameBright(p2, i2)) continue;
                    const Record r{uint8_t(p1), uint8_t(i1), uint8_t(p2), uint8_t(i2)};
                    const auto [it, added] = best.try_emplace(mixSet(r), r);
                    if (!added && representativeKey(r) < representativeKey(it->second)) it->second = r;
                }
    return best;
}

}  // namespace

std::vector<Record> makeRecords()
{
    std::vector<Candidate> candidates;
    for (const auto& [mixes, record] : representatives())
        if (mixes.size() >= 2) candidates.push_back(candidateFor(record, mixes.size()));
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return orderKey(a) < orderKey(b); });

    // Every set of three or four mixes, then the two-mix records whose colours
    // and centre no such set offers together.
    std::vector<Record> out;
    std::vector<ColourSet> covered;
    for (const auto& c : candidates) {
        if (static_cast<int>(out.size()) == recordCount) break;
        const ColourSet colours = errorColours(c.record);
        if (c.group == 3 && std::any_of(covered.begin(), covered.end(), [&](const ColourSet& wider) {
                return std::includes(wider.begin(), wider.end(), colours.begin(), colours.end());
            }))
            continue;
        if (c.group < 3) covered.push_back(colours);
        out.push_back(c.record);
    }
    return out;
}

std::vector<uint8_t> makeRecordTable()
{
    std::vector<uint8_t> out;
    for (const auto& r : makeRecords()) out.insert(out.end(), {r.paper1, r.ink1, r.paper2, r.ink2});
    return out;
}

}  // namespace dw::tools
