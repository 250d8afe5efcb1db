#pragma once
// What the MCX record search measures: the gigaTab records, each by the sum
// over an 8x1 cell's pixels of the nearest of its four fixed mixes and its
// centre under the current palette, and the distances of one cell.

#include <array>
#include <cstdint>

#include "base/colour.h"
#include "modes/conversion.h"
#include "modes/quadruple.h"
#include "modes/short_lanes.h"

namespace dw {

inline constexpr int mcxCellWidth = 8;
using McxCell = std::array<Colour, mcxCellWidth>;

// Colours a record is measured against: the mixes of mixTable, then the
// distinct record centres.
inline constexpr int maxMeasureColours = mixCount + gigaTabSize;

// Bit r of word r / 64 for record r.
using RecordSet = std::array<uint64_t, (gigaTabSize + 63) / 64>;

struct McxRecord {
    Quadruple quad;
    Colour centre;                      // from the current palette
    std::array<uint16_t, 5> measured;   // its four mixes, then its centre
    std::array<uint16_t, 5> rowOffset;  // their rows' byte offsets in McxCellDistances::capped
    bool repeat = false;                // measured as an earlier record, so never beats it
};
static_assert(maxMeasureColours * sizeof(LaneRow) <= 65536, "a row offset fits 16 bits");

// What one run searches: the records, and every measure colour as indices
// into the distinct values of each channel, so that a cell squares one
// difference per distinct channel value rather than three per colour.
struct McxRecords {
    std::array<McxRecord, gigaTabSize> records;
    int colourCount = 0;
    std::array<Colour, maxMeasureColours> colours;  // the mixes, then the distinct centres in order
    std::array<std::array<uint16_t, 3>, maxMeasureColours> valueIndex;  // blue, green, red
    std::array<std::array<int32_t, maxMeasureColours>, 3> values;
    std::array<int, 3> valueCount{};
    // The centres, sorted, in runs of one blue and green: run g is the
    // colours groupStart[g] .. groupStart[g + 1].
    int groupCount = 0;
    std::array<uint16_t, gigaTabSize + 1> groupStart;
    // The centres come sorted by blue: those of blue value v are the colours
    // centreByBlue[v] .. centreByBlue[v + 1].
    std::array<uint16_t, maxMeasureColours + 1> centreByBlue;
    // Records other than repeats measured against colour c:
    // users[userStart[c] .. userStart[c + 1]), for a mix also as a set, and
    // for the centre mixCount + k as the words of a set that have any:
    // centreWords[centreWordStart[k] .. centreWordStart[k + 1]).
    std::array<uint16_t, maxMeasureColours + 1> userStart;
    std::array<uint16_t, gigaTabSize * 5> users;
    std::array<RecordSet, mixCount> mixUsers;
    struct SetWord {
        uint64_t bits;
        int index;
    };
    std::array<uint16_t, gigaTabSize + 1> centreWordStart;
    std::array<SetWord, gigaTabSize> centreWords;
};

void readMcxRecords(const Conversion& job, McxRecords& out);

// One cell's squared differences per distinct channel value, and per measure
// colour their sum over the channels in 16-bit lanes capped at distanceCap:
// while the best error so far is at most the cap, a capped record error below
// it has no capped term and is exact, and one at or above it stands for an
// exact error at or above it, so every comparison against the best comes out
// as with exact errors.
struct McxCellDistances {
    static constexpr int32_t distanceCap = 32767;
    std::array<std::array<std::array<int32_t, mcxCellWidth>, maxMeasureColours>, 3> channel;
    std::array<std::array<LaneRow, maxMeasureColours>, 3> cappedChannel;
    std::array<LaneRow, maxMeasureColours> capped;
    LaneRow nearest;  // per pixel, the least capped distance of all colours
};

void measureCell(const McxRecords& table, const McxCell& pixels, McxCellDistances& out);

// What one MCX run keeps in its scratch.
struct McxTables {
    McxRecords records;
    McxCellDistances distances;
};

}  // namespace dw
