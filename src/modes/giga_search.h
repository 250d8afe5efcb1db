#pragma once
// The attribute choice of one gigascreen cell: the record of gigaTab whose
// four mixes and centre lie nearest its 64 pixels, found with bounds that
// drop a record as soon as it can no longer win.

#include <array>
#include <cstdint>

#include "base/colour.h"
#include "modes/conversion.h"
#include "modes/quadruple.h"

namespace dw {

// The 64 pixels of a cell, row by row.
using CellPixels = std::array<Colour, 64>;

class GigaSearch {
public:
    // weight: the centering pre-filter's factor, 0 for none. The records are
    // read once here; choose() may then be called for any number of cells.
    GigaSearch(const Tables& tables, int weight);

    // Per pixel the smallest squared distance to M0, M1, M2, the centre and
    // M3 of q, summed over the cell, in the default palette.
    static int fiveMixError(const CellPixels& px, const Quadruple& q);

    // keep unless a record has a strictly smaller cell error; among equal
    // errors the earlier record. With a weight, a record is tried only while
    // weight * |centre - cell mean|^2 is below the best error so far.
    Quadruple choose(const CellPixels& px, const Quadruple& keep);

private:
    // A channel of a mix or of a centre takes one of nine levels, 63k/2.
    static constexpr int levelCount = 9;

    struct Record {
        Quadruple quad;
        std::array<uint8_t, 4> mix;     // mixTable indices of M0..M3
        std::array<uint8_t, 3> centre;  // levels of the centre, blue, green, red
        Colour centreColour;
    };

    void measureCell(const CellPixels& px);
    int centreDistance(const Record& r, int p) const;
    int errorBelow(const Record& r, int limit) const;

    std::array<Record, gigaTabSize> records_;
    int recordCount_ = 0;
    int weight_;

    // For the current cell: squared distances from every level, channel by
    // channel, and from every mix to each pixel; and the smallest squared
    // distance from each level and mix to the cell's range of colours, which
    // no pixel of the cell can undercut.
    std::array<std::array<std::array<int32_t, 64>, levelCount>, 3> levelDist_;
    std::array<std::array<int32_t, 64>, mixCount> mixDist_;
    std::array<std::array<int32_t, levelCount>, 3> levelFloor_;
    std::array<int32_t, mixCount> mixFloor_;
};

}  // namespace dw
