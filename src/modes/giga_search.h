#pragma once
// The attribute choice of one gigascreen cell: the record of gigaTab whose
// four mixes and centre lie nearest its 64 pixels, found with bounds that
// drop a record as soon as it can no longer win.

#include <array>
#include <cstdint>
#include <vector>

#include "base/colour.h"
#include "modes/conversion.h"
#include "modes/quadruple.h"
#include "modes/short_lanes.h"

namespace dw {

// The 64 pixels of a cell, row by row.
using CellPixels = std::array<Colour, 64>;

class GigaSearch {
public:
    // weight: the centering pre-filter's factor, 0 for none. The records are
    // read once here; choose() may then be called for any number of cells,
    // and keeps its distance tables in scratch.mixDist and scratch.levelDist.
    GigaSearch(const Tables& tables, Scratch& scratch, int weight);

    // keep unless a record has a strictly smaller cell error; among equal
    // errors the earlier record. With a weight, a record is tried only while
    // weight * |centre - cell mean|^2 is below the best error so far.
    Quadruple choose(const CellPixels& px, const Quadruple& keep);

private:
    static constexpr int levelCount = mixLevelCount;

    struct Record {
        Quadruple quad;
        std::array<uint8_t, 4> mix;     // mixTable indices of M0..M3
        std::array<uint8_t, 3> centre;  // levels of the centre, blue, green, red
        uint16_t centreId = 0;          // index into centres_
    };

    // Bit r of word r / 64 for record r.
    using RecordSet = std::array<uint64_t, (gigaTabSize + 63) / 64>;

    struct UserWord {
        uint16_t word;  // index into a RecordSet
        uint64_t bits;
    };

    using CellTable = std::array<std::array<int32_t, 8>, 8>;  // per group and pixel

    void sortCell(const CellPixels& px);
    void measureCell();
    const CellTable& mixDist(int k);
    // Per pixel the smallest squared distance to M0, M1, M2, the centre and
    // M3 of q, summed over the cell, in the default palette.
    int keepError(const Quadruple& q) const;
    void weighCentres(const CellPixels& px);
    int centreWeight(const std::array<uint8_t, 3>& levels) const;
    Lanes groupFloors(const std::array<uint8_t, 3>& levels) const;
    int centreFloor(const std::array<uint8_t, 3>& levels) const;
    void addCentreUsers(RecordSet& set, int c) const;
    // The records that the pre-filter or the distances of their colours to
    // the cell's range do not rule out at limit.
    RecordSet candidates(int limit) const;
    int exactBelow(const Record& r, const LaneRow& floors, int bound, int limit);
    int errorBelow(const Record& r, int limit);

    std::array<Record, gigaTabSize> records_;
    int recordCount_ = 0;
    std::array<std::array<uint8_t, 3>, mixCount> mixLevels_;  // blue, green, red
    std::array<RecordSet, mixCount> mixUsers_{};              // the records with the mix
    // The distinct centres, and the records with centre c as the nonzero
    // words of a RecordSet at centreWords_[centreStart_[c] .. centreStart_[c + 1]).
    std::vector<std::array<uint8_t, 3>> centres_;
    std::vector<uint16_t> centreStart_;
    std::vector<UserWord> centreWords_;
    Scratch& scratch_;
    int weight_;
    const Record* lastChosen_ = nullptr;  // the last record that won a cell

    // The current cell's pixels sorted by brightness, so that each eighth of
    // them, a group, spans a small range of colours.
    CellPixels sorted_;

    // For the current cell, beside the distances from each level and mix to
    // each sorted pixel in the scratch: the smallest squared distances from
    // each level and mix to the range of colours of the cell and, capped at
    // 32767 so that they stay below the exact ones, of each group, which no
    // pixel in it can undercut.
    std::array<std::array<int32_t, levelCount>, 3> levelFloor_;
    std::array<int32_t, mixCount> mixFloor_;
    std::array<std::array<LaneRow, levelCount>, 3> levelGroupFloor_;
    std::array<LaneRow, mixCount> mixGroupFloor_;
    std::array<std::array<int32_t, levelCount>, 3> levelWeight_;  // the pre-filter's terms
    std::array<bool, mixCount> mixReady_;  // its scratch.mixDist row is this cell's
};

}  // namespace dw
