#include "modes/mcx_records.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>

#include "colour/mix_table.h"

namespace dw {

namespace {

bool lessColour(const Colour& a, const Colour& c)
{
    return a.b != c.b ? a.b < c.b : a.g != c.g ? a.g < c.g : a.r < c.r;
}

Colour centreOf(const Conversion& job, const Quadruple& q)
{
    const std::array<Colour, 4> slot = mixesOf(job.palette, q);
    const Colour sum = slot[0] + slot[3];
    return {sum.b >> 1, sum.g >> 1, sum.r >> 1};
}

int32_t channelOf(const Colour& c, int channel) { return channel == 0 ? c.b : channel == 1 ? c.g : c.r; }

// Sorts and thins values[0..count) in place; returns how many are left.
template <typename T, typename Less>
int distinct(T* values, int count, Less less)
{
    std::sort(values, values + count, less);
    auto same = [&](const T& a, const T& c) { return !less(a, c) && !less(c, a); };
    return static_cast<int>(std::unique(values, values + count, same) - values);
}

// Index of `value` among the first `count` entries of the sorted `values`.
template <typename T, typename Less>
uint16_t indexIn(const T* values, int count, const T& value, Less less)
{
    return static_cast<uint16_t>(std::lower_bound(values, values + count, value, less) - values);
}

void splitChannels(McxRecords& out)
{
    const auto& colours = out.colours;
    for (int ch = 0; ch < 3; ++ch) {
        int32_t* values = out.values[ch].data();
        for (int c = 0; c < out.colourCount; ++c) values[c] = channelOf(colours[c], ch);
        const int count = distinct(values, out.colourCount, std::less<int32_t>());
        out.valueCount[ch] = count;
        for (int c = 0; c < out.colourCount; ++c)
            out.valueIndex[c][ch] = indexIn(values, count, channelOf(colours[c], ch), std::less<int32_t>());
    }
}

void groupByBlueGreen(McxRecords& out)
{
    auto blueGreen = [&](int c) { return std::array<uint16_t, 2>{out.valueIndex[c][0], out.valueIndex[c][1]}; };
    int groups = 0;
    for (int c = mixCount; c < out.colourCount; ++c)
        if (c == mixCount || blueGreen(c) != blueGreen(c - 1)) out.groupStart[groups++] = static_cast<uint16_t>(c);
    out.groupStart[groups] = static_cast<uint16_t>(out.colourCount);
    out.groupCount = groups;
}

void indexCentresByBlue(McxRecords& out)
{
    int c = mixCount;
    for (int v = 0; v <= out.valueCount[0]; ++v) {
        while (c < out.colourCount && out.valueIndex[c][0] < v) ++c;
        out.centreByBlue[v] = static_cast<uint16_t>(c);
    }
}

// A record measured as an earlier one has its error and centre: it loses
// the tie to the earlier one, or fails where that one failed.
void markRepeats(McxRecords& out)
{
    std::array<int, gigaTabSize> order;
    std::iota(order.begin(), order.end(), 0);
    auto measured = [&](int r) { return out.records[r].measured; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return measured(a) < measured(b); });
    for (int k = 0; k < gigaTabSize; ++k)
        out.records[order[k]].repeat = k > 0 && measured(order[k]) == measured(order[k - 1]);
}

void listUsers(McxRecords& out)
{
    std::array<uint16_t, maxMeasureColours + 1> next{};
    for (const McxRecord& record : out.records)
        if (!record.repeat)
            for (uint16_t c : record.measured) ++next[c + 1];
    for (int c = 0; c < out.colourCount; ++c) next[c + 1] = static_cast<uint16_t>(next[c + 1] + next[c]);
    std::copy_n(next.begin(), out.colourCount + 1, out.userStart.begin());
    for (int r = 0; r < gigaTabSize; ++r)
        if (!out.records[r].repeat)
            for (uint16_t c : out.records[r].measured) out.users[next[c]++] = static_cast<uint16_t>(r);
    for (int k = 0; k < mixCount; ++k) {
        out.mixUsers[k] = {};
        for (int u = out.userStart[k]; u < out.userStart[k + 1]; ++u)
            out.mixUsers[k][out.users[u] / 64] |= uint64_t{1} << (out.users[u] % 64);
    }
    // A centre's users come in table order, so those of one word are adjacent.
    int words = 0;
    for (int c = mixCount; c < out.colourCount; ++c) {
        const int start = out.centreWordStart[c - mixCount] = static_cast<uint16_t>(words);
        for (int u = out.userStart[c]; u < out.userStart[c + 1]; ++u) {
            const int index = out.users[u] / 64;
            if (words == start || out.centreWords[words - 1].index != index) out.centreWords[words++] = {0, index};
            out.centreWords[words - 1].bits |= uint64_t{1} << (out.users[u] % 64);
        }
    }
    out.centreWordStart[out.colourCount - mixCount] = static_cast<uint16_t>(words);
}

}  // namespace

McxStorage::McxStorage() = default;
McxStorage::McxStorage(const McxStorage&) {}
McxStorage& McxStorage::operator=(const McxStorage&) { return *this; }
McxStorage::~McxStorage() = default;

McxTables& McxStorage::tables()
{
    if (!tables_) tables_ = std::make_unique<McxTables>();
    return *tables_;
}

void readMcxRecords(const Conversion& job, McxRecords& out)
{
    Colour* centres = out.colours.data() + mixCount;
    for (int r = 0; r < gigaTabSize; ++r) {
        const auto& entry = job.tables.gigaTab[r];
        out.records[r].quad = {entry[0], entry[1], entry[2], entry[3]};
        centres[r] = out.records[r].centre = centreOf(job, out.records[r].quad);
    }
    const int centreCount = distinct(centres, gigaTabSize, lessColour);
    for (int k = 0; k < mixCount; ++k) out.colours[k] = {mixTable[k].b, mixTable[k].g, mixTable[k].r};
    out.colourCount = mixCount + centreCount;

    for (int r = 0; r < gigaTabSize; ++r) {
        const auto& entry = job.tables.gigaTab[r];
        const uint16_t centre = indexIn(centres, centreCount, out.records[r].centre, lessColour);
        out.records[r].measured = {entry[4], entry[5], entry[6], entry[7], static_cast<uint16_t>(mixCount + centre)};
        for (int k = 0; k < 5; ++k)
            out.records[r].rowOffset[k] = static_cast<uint16_t>(out.records[r].measured[k] * sizeof(LaneRow));
    }
    splitChannels(out);
    indexCentresByBlue(out);
    groupByBlueGreen(out);
    markRepeats(out);
    listUsers(out);
}

void measureCell(const McxRecords& table, const McxCell& pixels, McxCellDistances& out)
{
    constexpr int32_t cap = McxCellDistances::distanceCap;
    for (int ch = 0; ch < 3; ++ch) {
        std::array<int32_t, mcxCellWidth> pixel;
        for (int i = 0; i < mcxCellWidth; ++i) pixel[i] = channelOf(pixels[i], ch);
        for (int v = 0; v < table.valueCount[ch]; ++v)
            for (int i = 0; i < mcxCellWidth; ++i) {
                const int32_t d = table.values[ch][v] - pixel[i];
                out.channel[ch][v][i] = d * d;
                out.cappedChannel[ch][v][i] = static_cast<int16_t>(std::min(cap, d * d));
            }
    }
    // A saturating sum of capped terms is the capped sum; the centres of one
    // blue and green share the first of the two sums.
    Lanes nearest = splatLanes(cap);
    auto measure = [&](int c, Lanes blueGreen) {
        const Lanes bgr = addSaturated(blueGreen, loadLanes(out.cappedChannel[2][table.valueIndex[c][2]]));
        out.capped[c] = storeLanes(bgr);
        nearest = minLanes(nearest, bgr);
    };
    auto blueGreenOf = [&](int c) {
        const auto& index = table.valueIndex[c];
        return addSaturated(loadLanes(out.cappedChannel[0][index[0]]), loadLanes(out.cappedChannel[1][index[1]]));
    };
    for (int c = 0; c < mixCount; ++c) measure(c, blueGreenOf(c));
    for (int g = 0; g < table.groupCount; ++g) {
        const int from = table.groupStart[g], to = table.groupStart[g + 1];
        const Lanes blueGreen = blueGreenOf(from);
        for (int c = from; c < to; ++c) measure(c, blueGreen);
    }
    out.nearest = storeLanes(nearest);
}

}  // namespace dw
