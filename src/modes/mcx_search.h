#pragma once
// The MCX record search over one 8x1 cell: the first gigaTab record, in
// table order, whose error beats the threshold, then each later one that
// beats the best so far.

#include <array>
#include <cstdint>

#include "base/colour.h"
#include "modes/mcx_records.h"
#include "modes/quadruple.h"

namespace dw {

struct McxFound {
    int64_t error = 0;  // the threshold when no record beat it
    Quadruple quad;     // `keep` when no record beat the threshold
    int record = -1;    // gigaTab index of the winner, -1 for `keep`
};

// Records likely to do well in a cell, -1 for none.
using McxHints = std::array<int, 6>;

// With a centering weight, a record takes part only when weight * |centre -
// mean|^2 is below the best so far. The hints change the work
// done, never the answer.
McxFound searchRecords(const McxRecords& table, const McxCellDistances& distances, const Colour& mean,
                       const Quadruple& keep, int64_t threshold, int centeringWeight, const McxHints& hints);

}  // namespace dw
