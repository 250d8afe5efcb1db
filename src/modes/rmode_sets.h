#pragma once
// The choice of an R-Mode cell's colour set from its pixels' projections onto
// the solids, which are made only when the choice asks for them.

#include <array>
#include <cstdint>

#include "base/plane.h"
#include "modes/rmode_solids.h"

namespace dw::rmode {

inline constexpr int setCount = 7;
inline constexpr int cellPixels = 64;

// The projections of one cell's 64 pixels (in row order) onto the solids,
// each made on first use. One object serves every cell of a run.
class CellProjections {
public:
    explicit CellProjections(double kcolerr) : kcolerr_(kcolerr) {}

    // Starts cell (cx, cy) of the work planes, nothing projected yet.
    void startCell(const Plane& workB, const Plane& workG, const Plane& workR, int cx, int cy);
    const Projection& at(int pixel, int solid);
    // The pixel's projections, those onto set s's solids made.
    const PixelProjections& ofSet(int pixel, int s);

private:
    double kcolerr_;
    std::array<SolidTarget, cellPixels> targets_;
    std::array<PixelProjections, cellPixels> projections_;
    std::array<uint16_t, cellPixels> made_{};  // bit k: solid k projected
};

// The set whose per-pixel errors sum least over the cell; the lowest set
// number on equal sums. likely is summed first: a good guess (the previous
// cell's set) spares most projections.
int chooseSet(CellProjections& cell, int likely);

}  // namespace dw::rmode
