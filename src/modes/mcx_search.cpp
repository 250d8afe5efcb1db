#include "modes/mcx_search.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>

#include "modes/short_lanes.h"
#include "modes/work_pixels.h"

namespace dw {

namespace {

constexpr int32_t cap = McxCellDistances::distanceCap;

// The exact error: the sum of the nearest measured colour per pixel.
int64_t exactError(const McxCellDistances& d, const McxRecords& table, const McxRecord& record)
{
    int64_t sum = 0;
    for (int i = 0; i < mcxCellWidth; ++i) {
        int32_t nearest = std::numeric_limits<int32_t>::max();
        for (uint16_t colour : record.measured) {
            const auto& index = table.valueIndex[colour];
            const int32_t distance = d.channel[0][index[0]][i] + d.channel[1][index[1]][i] + d.channel[2][index[2]][i];
            nearest = std::min(nearest, distance);
        }
        sum += nearest;
    }
    return sum;
}

// Per pixel, the nearest of the record's colours in capped lanes. The rows
// are found by byte offset: an index would be scaled by a shift first.
Lanes nearestOf(const McxCellDistances& d, const McxRecord& record)
{
    const char* rows = reinterpret_cast<const char*>(d.capped.data());
    auto row = [&](int k) { return loadLanes(*reinterpret_cast<const LaneRow*>(rows + record.rowOffset[k])); };
    return minLanes(minLanes(minLanes(row(0), row(1)), minLanes(row(2), row(3))), row(4));
}

int32_t cappedError(const McxCellDistances& d, const McxRecord& record) { return laneSum(nearestOf(d, record)); }

// cappedError of four records at once.
std::array<int32_t, 4> cappedErrors(const McxCellDistances& d, const McxRecords& table, const int* r)
{
    return laneSums(nearestOf(d, table.records[r[0]]), nearestOf(d, table.records[r[1]]),
                    nearestOf(d, table.records[r[2]]), nearestOf(d, table.records[r[3]]));
}

// The records from `first` on, in table order, whose error can be at most
// `ceiling`, and some others. Each pixel costs a record at least the nearest
// of all colours there, so within the ceiling a record's distance at pixel i
// is at most the ceiling less the other pixels' nearest: such a record has a
// colour within that limit of every pixel, in particular of the one pixel
// picked here, and the records of its near colours are the list.
class NearRecords {
public:
    NearRecords(const McxRecords& table, const McxCellDistances& distances, int32_t ceiling, int first)
    {
        const LaneRow& least = distances.nearest;
        const int32_t sum = laneSum(loadLanes(least));
        if (sum > ceiling) return;
        LaneRow limit;
        for (int i = 0; i < mcxCellWidth; ++i) limit[i] = static_cast<int16_t>(ceiling - sum + least[i]);

        // The pixel whose near mixes have the fewest records: counting the
        // centres as well picks hardly better for five times the work.
        Lanes users = splatLanes(0);  // at most 4 * gigaTabSize
        for (int c = 0; c < mixCount; ++c)
            users = addWhereAtMost(users, loadLanes(distances.capped[c]), loadLanes(limit), usersOf(table, c));
        const LaneRow perPixel = storeLanes(users);
        const int pixel = static_cast<int>(std::min_element(perPixel.begin(), perPixel.end()) - perPixel.begin());

        // Near colours gathered without a branch: whether a colour is near is
        // no pattern a branch predictor could follow. A centre is near only
        // if its blue alone is, and the blues near are a run of the sorted values.
        std::array<uint16_t, maxMeasureColours> near;
        int nearCount = 0;
        auto gather = [&](int from, int to) {
            for (int c = from; c < to; ++c) {
                near[nearCount] = static_cast<uint16_t>(c);
                nearCount += distances.capped[c][pixel] <= limit[pixel];
            }
        };
        gather(0, mixCount);
        const int nearMixes = nearCount;
        const auto& blue = distances.cappedChannel[0];
        int lo = 0, hi = table.valueCount[0];
        while (lo < hi && blue[lo][pixel] > limit[pixel]) ++lo;
        while (hi > lo && blue[hi - 1][pixel] > limit[pixel]) --hi;
        gather(table.centreByBlue[lo], table.centreByBlue[hi]);
        RecordSet listed{};
        for (int k = 0; k < nearMixes; ++k)
            for (size_t w = 0; w < listed.size(); ++w) listed[w] |= table.mixUsers[near[k]][w];
        for (int k = nearMixes; k < nearCount; ++k)
            for (int n = table.centreWordStart[near[k] - mixCount]; n < table.centreWordStart[near[k] - mixCount + 1]; ++n)
                listed[table.centreWords[n].index] |= table.centreWords[n].bits;
        listed[first / 64] &= ~uint64_t{0} << (first % 64);
        int count = 0;
        for (int w = first / 64; w < static_cast<int>(listed.size()); ++w)
            for (uint64_t bits = listed[w]; bits != 0; bits &= bits - 1)
                records_[count++] = 64 * w + std::countr_zero(bits);
        count_ = count;
    }

    int count() const { return count_; }
    const int* records() const { return records_.data(); }

private:
    static int16_t usersOf(const McxRecords& table, int c)
    {
        return static_cast<int16_t>(table.userStart[c + 1] - table.userStart[c]);
    }

    std::array<int, gigaTabSize> records_;
    int count_ = 0;
};

// A record's gate: the larger of its error and its centering term. The
// search takes a record when its gate is below the best so far.
int64_t gateOf(const McxRecord& record, int64_t error, const Colour& mean, int centeringWeight)
{
    return std::max(error, centeringWeight * squaredDistance64(record.centre, mean));
}

// The least gate of the hints below the cap and the threshold, less one: the
// winner's error is at most the least gate G of all records, since a record
// of gate below the final best would have been taken and lowered it.
int64_t gateCeiling(const McxRecords& table, const McxCellDistances& distances, const Colour& mean,
                    int64_t threshold, int centeringWeight, const McxHints& hints)
{
    int64_t ceiling = threshold - 1;
    for (int h : hints)
        if (h >= 0) {
            const int32_t error = cappedError(distances, table.records[h]);
            if (error < cap) ceiling = std::min(ceiling, gateOf(table.records[h], error, mean, centeringWeight));
        }
    return ceiling;
}

// The winner when the records of error within `ceiling`, which is below the
// cap, tell it; `none` when no gate is within it. Any gate within it makes
// the least listed gate G, the least of all records. Every record taken
// before the winner has an error above G, since nothing is taken after one
// of error at most G, so the best stays above G until then. The first record
// of error at most G is therefore the winner when its gate is at most G;
// otherwise it depends on the records before it, and the answer is left open.
std::optional<McxFound> leastGateWinner(const McxRecords& table, const McxCellDistances& distances,
                                        const Colour& mean, const McxFound& none, int32_t ceiling,
                                        int centeringWeight)
{
    const NearRecords near(table, distances, ceiling, 0);
    const int* r = near.records();
    std::array<int32_t, gigaTabSize> errors;
    int k = 0;
    for (; k + 4 <= near.count(); k += 4) {
        const std::array<int32_t, 4> four = cappedErrors(distances, table, r + k);
        std::copy(four.begin(), four.end(), errors.begin() + k);
    }
    for (; k < near.count(); ++k) errors[k] = cappedError(distances, table.records[r[k]]);

    int64_t least = int64_t{ceiling} + 1;
    for (k = 0; k < near.count(); ++k)
        if (errors[k] <= ceiling) least = std::min(least, gateOf(table.records[r[k]], errors[k], mean, centeringWeight));
    // No gate within the ceiling: none is taken if the ceiling is a hint's
    // gate or below the threshold.
    if (least > ceiling) return none;
    k = 0;
    while (errors[k] > least) ++k;  // ends at latest at the record of least gate
    const McxRecord& record = table.records[r[k]];
    if (gateOf(record, errors[k], mean, centeringWeight) > least) return std::nullopt;
    return McxFound{errors[k], record.quad, r[k]};
}

// Every record in table order, each taken when its gate is below the best so
// far. No record above the ceiling can be the winner.
McxFound searchInOrder(const McxRecords& table, const McxCellDistances& distances, const Colour& mean,
                       McxFound found, int64_t ceiling, int centeringWeight)
{
    auto offer = [&](int r, int64_t error) {
        const McxRecord& record = table.records[r];
        if (error < found.error && centeringWeight * squaredDistance64(record.centre, mean) < found.error)
            found = {error, record.quad, r};
    };
    // Until the ceiling is below the cap, records are taken one by one. A
    // capped error is at most the error, so one above the ceiling rules its
    // record out; with no lane at the cap it is the error itself.
    int first = 0;
    for (; first < gigaTabSize && ceiling >= cap; ++first) {
        const McxRecord& record = table.records[first];
        if (record.repeat) continue;
        const Lanes nearest = nearestOf(distances, record);
        const int32_t capped = laneSum(nearest);
        if (capped > ceiling) continue;
        offer(first, anyLaneEquals(nearest, cap) ? exactError(distances, table, record) : capped);
        ceiling = std::min(ceiling, found.error - 1);
    }
    if (first == gigaTabSize || ceiling < 0) return found;

    // Capped sums at most the ceiling, which is below the cap, are exact.
    const NearRecords near(table, distances, static_cast<int32_t>(ceiling), first);
    const int* r = near.records();
    int k = 0;
    for (; k + 4 <= near.count(); k += 4) {
        const std::array<int32_t, 4> errors = cappedErrors(distances, table, r + k);
        for (int n = 0; n < 4; ++n)
            if (errors[n] <= ceiling) offer(r[k + n], errors[n]);
    }
    for (; k < near.count(); ++k) {
        const int32_t error = cappedError(distances, table.records[r[k]]);
        if (error <= ceiling) offer(r[k], error);
    }
    return found;
}

}  // namespace

McxFound searchRecords(const McxRecords& table, const McxCellDistances& distances, const Colour& mean,
                       const Quadruple& keep, int64_t threshold, int centeringWeight, const McxHints& hints)
{
    const McxFound none{threshold, keep, -1};
    const int64_t ceiling = gateCeiling(table, distances, mean, threshold, centeringWeight, hints);
    if (ceiling < 0) return none;
    // Below the cap first: a record found there settles the search, and so
    // does finding none when the ceiling is no higher.
    const int32_t belowCap = static_cast<int32_t>(std::min<int64_t>(ceiling, cap - 1));
    if (const std::optional<McxFound> found =
            leastGateWinner(table, distances, mean, none, belowCap, centeringWeight))
        if (found->record >= 0 || belowCap == ceiling) return *found;
    // Without centering a gate is an error, and none above the ceiling wins.
    return searchInOrder(table, distances, mean, none, centeringWeight == 0 ? ceiling : threshold - 1,
                         centeringWeight);
}

}  // namespace dw
