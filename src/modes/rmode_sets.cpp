#include "modes/rmode_sets.h"

#include "colour/helpers.h"

namespace dw::rmode {

namespace {

// The solids whose error a set adds for a pixel none of them contains.
constexpr std::array<std::array<int, 4>, setCount> setSolids = {{
    {S1, S2, S3, S4},
    {S7, S8, S5, -1},
    {S8, S9, S6, -1},
    {S9, S10, -1, -1},
    {S10, S11, -1, -1},
    {S11, S12, -1, -1},
    {S12, S7, -1, -1},
}};

// What set s adds to its sum for this pixel: nothing when one of its solids
// contains the pixel, otherwise its least error with the set's tie rule.
double setError(CellProjections& cell, int s, int pixel)
{
    for (int k : setSolids[s])
        if (k >= 0 && cell.at(pixel, k).inside) return 0.0;
    auto e = [&](int k) { return cell.at(pixel, k).err; };
    switch (s) {
    case 0: return min2f(min2f(e(S1), e(S2)), min2f(e(S3), e(S4)));
    case 1: return min3f(e(S7), e(S8), e(S5));
    case 2: return min3f(e(S8), e(S9), e(S6));
    case 3: return min2f(e(S9), e(S10));
    case 4: return min2f(e(S10), e(S11));
    case 5: return min2f(e(S11), e(S12));
    default: return min2f(e(S12), e(S7));
    }
}

// Whether set s with sum `sum` ranks after the best so far, by sum and then
// by set number.
bool ranksAfter(double sum, int s, double bestSum, int best) { return sum > bestSum || (sum == bestSum && s > best); }

}  // namespace

void CellProjections::startCell(const Plane& workB, const Plane& workG, const Plane& workR, int cx, int cy)
{
    for (int i = 0; i < cellPixels; ++i) {
        const int x = 8 * cx + i % 8, y = 8 * cy + i / 8;
        targets_[i] = solidTarget(workB[y][x], workG[y][x], workR[y][x], kcolerr_);
    }
    made_.fill(0);
}

const Projection& CellProjections::at(int pixel, int solid)
{
    Projection& p = projections_[pixel][solid];
    if (!(made_[pixel] >> solid & 1)) {
        projectOnSolid(solid, targets_[pixel], kcolerr_, p);
        made_[pixel] = static_cast<uint16_t>(made_[pixel] | 1 << solid);
    }
    return p;
}

const PixelProjections& CellProjections::ofSet(int pixel, int s)
{
    for (int k : setSolids[s])
        if (k >= 0) at(pixel, k);
    return projections_[pixel];
}

// A set's sum only grows from pixel to pixel: every error added is at least
// 0 and rounding the sum to double is monotonic. So once a partial sum ranks
// after the best full sum, so does the full sum, and the set is dropped.
int chooseSet(CellProjections& cell, int likely)
{
    int best = likely;
    double bestSum = 0;
    for (int i = 0; i < cellPixels; ++i)
        bestSum = static_cast<double>(static_cast<long double>(bestSum) + setError(cell, likely, i));
    for (int s = 0; s < setCount; ++s) {
        if (s == likely) continue;
        double sum = 0;
        int i = 0;
        for (; i < cellPixels && !ranksAfter(sum, s, bestSum, best); ++i)
            sum = static_cast<double>(static_cast<long double>(sum) + setError(cell, s, i));
        if (!ranksAfter(sum, s, bestSum, best)) best = s, bestSum = sum;
    }
    return best;
}

}  // namespace dw::rmode
