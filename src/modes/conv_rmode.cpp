#include "modes/conv_rmode.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "base/colour.h"
#include "colour/dithering.h"
#include "colour/helpers.h"
#include "modes/rmode_sets.h"
#include "modes/rmode_solids.h"

namespace dw {

namespace {

using namespace rmode;

constexpr int layerCount = 4;
constexpr int cellSize = 8;

// Colours of layers 1..3 of each set; layer 4 is white in all of them.
constexpr std::array<std::array<int, 3>, setCount> setLayers = {{
    {magenta, cyan, yellow},
    {magenta, red, yellow},
    {green, red, yellow},
    {green, cyan, yellow},
    {green, cyan, blue},
    {magenta, cyan, blue},
    {magenta, red, blue},
}};

// Full-intensity component (0 blue, 1 green, 2 red) of colours 0..7.
int32_t fullRgb(int colour, int component)
{
    static constexpr int bits[3] = {1, 4, 2};
    return (colour & bits[component]) ? 255 : 0;
}

int chooseSolid(int s, const PixelProjections& p)
{
    auto e = [&](int k) { return p[k].err; };
    switch (s) {
    case 0:
        if (p[S4].inside && e(S4) < e(S1) && e(S4) < e(S2) && e(S4) < e(S3)) return S4;
        if (e(S1) < e(S2)) return e(S3) < e(S1) ? S3 : S1;
        return e(S3) < e(S2) ? S3 : S2;
    case 1:
        if (e(S5) < e(S7) && e(S5) < e(S8)) return S5;
        return e(S7) >= e(S8) ? S8 : S7;
    case 2:
        if (e(S6) < e(S8) && e(S6) < e(S9)) return S6;
        return e(S8) >= e(S9) ? S9 : S8;
    case 3: return e(S9) >= e(S10) ? S10 : S9;
    case 4: return e(S10) >= e(S11) ? S11 : S10;
    case 5: return e(S11) >= e(S12) ? S12 : S11;
    default: return e(S12) >= e(S7) ? S7 : S12;
    }
}

// tobyte(x) without converting a long double to an integer, which costs a
// change of the FPU's rounding mode. With v = 255.4 * x as tobyte rounds it,
// tobyte truncates v + 0.5 in long double, a sum that is exact from v = 0.5
// on and stays below 1 under it, so the result is v rounded half up: the
// integer part of v plus one when the fraction, exact in double, is at
// least 0.5. Below v = 0 both give 0, from v = 255 on both give 255.
int layerByte(double x)
{
    const double v = static_cast<double>(255.4L * x);
    if (v >= 255) return 255;
    if (v < 0) return 0;
    const int whole = static_cast<int>(v);
    return v - whole >= 0.5 ? whole + 1 : whole;
}

// Layer 1..4 of set s that carries the colour.
int layerOf(int s, int colour)
{
    if (colour == white) return 4;
    for (int i = 0; i < 3; ++i)
        if (setLayers[s][i] == colour) return i + 1;
    return 4;
}

struct CellLayers {
    int set = 0;
    std::array<int, layerCount + 1> colour{};  // indices 1..4
};

CellLayers layersOfSet(int s)
{
    CellLayers cell;
    cell.set = s;
    for (int i = 0; i < 3; ++i) cell.colour[i + 1] = setLayers[s][i];
    cell.colour[4] = white;
    return cell;
}

// The four layer intensities (indices 1..4) of one pixel from the solid its
// set picks, with the noise adjustments and cap when noise is on.
std::array<int, layerCount + 1> intensitiesOf(const CellLayers& cell, const PixelProjections& p, bool noise)
{
    std::array<int, layerCount + 1> L{};
    const int k = chooseSolid(cell.set, p);
    const Solid& solid = solids[k];
    double a = p[k].a, b = p[k].b, c = p[k].c;
    if (solid.whiteOn) L[4] = 255;
    if (noise && cell.set == 0 && k == S1) {
        if (b > 0.4) {
            const double d = static_cast<double>(static_cast<long double>(b) - 0.4L);
            a = static_cast<double>(static_cast<long double>(a) + d);
            c = static_cast<double>(static_cast<long double>(c) + d);
            L[layerOf(0, cyan)] += layerByte(d);
            b = 0.4;
        }
        if (c > 0.5) c = 0.5;
    }
    if (noise && cell.set == 2 && k == S8) {
        if (b > 0.5) a = static_cast<double>(static_cast<long double>(a) + (static_cast<long double>(b) - 0.5L));
        if (c > 0.5) a = static_cast<double>(static_cast<long double>(a) + (static_cast<long double>(c) - 0.5L));
    }
    L[layerOf(cell.set, solid.A)] = layerByte(a);
    L[layerOf(cell.set, solid.B)] = layerByte(b);
    L[layerOf(cell.set, solid.C)] = layerByte(c);
    if (noise)
        for (int layer = 1; layer <= 3; ++layer)
            if (L[layer] > 128) L[layer] = 128;
    return L;
}

// L / 255 * 255 in long double for intensities L 0..255.
using ShareTable = std::array<long double, 256>;

const ShareTable& fullShares()
{
    static const ShareTable table = [] {
        ShareTable t;
        for (int level = 0; level < 256; ++level) t[level] = static_cast<long double>(level) / 255.0L * 255;
        return t;
    }();
    return table;
}

// The integer part of a sum s >= 0 without converting a long double to an
// integer: s rounded to double is at least the integer part of s and at most
// one above it.
int64_t wholePart(long double s)
{
    auto whole = static_cast<int64_t>(static_cast<double>(s));
    if (static_cast<long double>(whole) > s) --whole;
    return whole;
}

// Half the sum of the layers' full colours weighted by their intensities,
// summed in the order layer 2, 4, 3, 1. A layer without the component adds
// L / 255 * 0 = +0, which leaves the sum as it is.
int32_t mixComponent(const CellLayers& cell, const std::array<int, layerCount + 1>& L, int component)
{
    const ShareTable& shares = fullShares();
    long double sum = 0;
    for (int layer : {2, 4, 3, 1})
        if (fullRgb(cell.colour[layer], component) != 0) sum += shares[L[layer]];
    return static_cast<int32_t>(wholePart(sum) / 2);
}

// sqrtScale of the layer sums 0..1023, which palettes of half intensities
// (0..127) keep to; other sums are computed when met.
int shownLevel(int32_t v)
{
    static const std::array<uint8_t, 1024> table = [] {
        std::array<uint8_t, 1024> t;
        for (int i = 0; i < 1024; ++i) t[i] = static_cast<uint8_t>(sqrtScale(i));
        return t;
    }();
    return v >= 0 && v < 1024 ? table[v] : sqrtScale(v);
}

// The two layers (first, second) a pixel row shows.
std::array<int, 2> rowLayers(int y) { return (y & 1) ? std::array<int, 2>{1, 2} : std::array<int, 2>{3, 4}; }

void drawModel(const Conversion& job, const CellLayers& cell, const std::array<int, layerCount + 1>& L, int x, int y)
{
    const std::array<int, 2> layers = rowLayers(y);
    const int cp = cell.colour[layers[0]], cq = cell.colour[layers[1]];
    const int lp = L[layers[0]], lq = L[layers[1]];
    auto shown = [&](const std::array<int32_t, 16>& pal) { return shownLevel((pal[cp] * lp + pal[cq] * lq) / 64); };
    job.screen.modelBitmap.setPixel(x, y, packColour({shown(job.palette.palB), shown(job.palette.palG), shown(job.palette.palR)}));
}

// Grey previews of the row's two layers. An even row's second layer above
// full brightness carries the excess to the odd row below.
void drawGreyLayers(const Conversion& job, std::array<int32_t, screenWidth>& greyCarry,
                    const std::array<int, layerCount + 1>& L, int x, int y)
{
    const auto [p, q] = rowLayers(y);
    int32_t g1 = (L[p] * 63) / 32, g2 = (L[q] * 63) / 32;
    if (y & 1) {
        g1 += greyCarry[x] / 2;
        g2 += greyCarry[x] / 2;
    } else if (g2 >= 256) {
        greyCarry[x] = g2 - 256;
        g1 += greyCarry[x] / 2;
    } else {
        greyCarry[x] = 0;
    }
    if (g1 >= 256) g1 = 255;
    if (g2 >= 256) g2 = 255;
    job.screen.layer1Bitmap.setPixel(x, y, static_cast<uint32_t>(g1) * 65793u);
    job.screen.layer2Bitmap.setPixel(x, y, static_cast<uint32_t>(g2) * 65793u);
}

// Returns the cell's set.
int analyseCell(const Conversion& job, CellProjections& projections, int cx, int cy, int likelySet, bool noise,
                std::array<int32_t, screenWidth>& greyCarry)
{
    projections.startCell(job.picture.workB, job.picture.workG, job.picture.workR, cx, cy);

    const CellLayers cell = layersOfSet(chooseSet(projections, likelySet));
    for (int layer = 1; layer <= layerCount; ++layer)
        job.screen.rmExtra[layer - 1][32 * cy + cx] = static_cast<uint8_t>(64 + cell.colour[layer]);

    Plane* aux[layerCount + 1] = {nullptr, &job.scratch.rmAux1, &job.scratch.rmAux2, &job.scratch.rmAux3, &job.scratch.rmAux4};
    for (int i = 0; i < cellPixels; ++i) {
        const int x = 8 * cx + i % 8, y = 8 * cy + i / 8;
        const std::array<int, layerCount + 1> L = intensitiesOf(cell, projections.ofSet(i, cell.set), noise);
        for (int layer = 1; layer <= layerCount; ++layer) (*aux[layer])[y][x] = L[layer];
        job.picture.workB[y][x] = mixComponent(cell, L, 0);
        job.picture.workG[y][x] = mixComponent(cell, L, 1);
        job.picture.workR[y][x] = mixComponent(cell, L, 2);
        drawModel(job, cell, L, x, y);
        drawGreyLayers(job, greyCarry, L, x, y);
    }
    return cell.set;
}

// The four colours a row can show: none, first layer, second layer, both;
// twice the palette sums, so a palette file can take them above 255.
struct RowSlots {
    std::array<Colour, 4> slot;
};

RowSlots rowSlots(const Conversion& job, int first, int second)
{
    RowSlots row;
    auto sums = [](const std::array<int32_t, 16>& pal, int p, int q, std::array<int32_t, 4>& out) {
        const int32_t s[4] = {pal[0] + pal[0], pal[p] + pal[0], pal[0] + pal[q], pal[p] + pal[q]};
        for (int i = 0; i < 4; ++i) out[i] = 2 * (s[i] & 0xFF);
    };
    sums(job.palette.palB, first, second, job.scratch.cellColB);
    sums(job.palette.palG, first, second, job.scratch.cellColG);
    sums(job.palette.palR, first, second, job.scratch.cellColR);
    for (int i = 0; i < 4; ++i) row.slot[i] = {job.scratch.cellColB[i], job.scratch.cellColG[i], job.scratch.cellColR[i]};
    return row;
}

int32_t capped(int32_t v) { return v > 255 ? 255 : v; }

void encodeRow(const Conversion& job, const RowSlots& row, int cx, int y)
{
    uint8_t& bits1 = job.screen.scr1[32 * y + cx];
    uint8_t& bits2 = job.screen.scr2[32 * y + cx];
    for (int x = 8 * cx; x < 8 * cx + 8; ++x) {
        const Colour P = {bandedChannel(job.picture.workB[y][x], job.settings.dithLo, job.settings.dithHi),
                          bandedChannel(job.picture.workG[y][x], job.settings.dithLo, job.settings.dithHi),
                          bandedChannel(job.picture.workR[y][x], job.settings.dithLo, job.settings.dithHi)};
        int32_t d[4];
        for (int i = 0; i < 4; ++i) {
            const Colour& s = row.slot[i];
            d[i] = (s.b - P.b) * (s.b - P.b) + (s.g - P.g) * (s.g - P.g) + (s.r - P.r) * (s.r - P.r);
        }
        const int i = argmin4(d[0], d[1], d[2], d[3]);
        bits1 = static_cast<uint8_t>(bits1 * 2 + (i & 1));
        bits2 = static_cast<uint8_t>(bits2 * 2 + (i >> 1));
        const Colour& s = row.slot[i];
        diffuseHalfQuarterEighths(job.picture.workB, x, y, P.b - s.b);
        diffuseHalfQuarterEighths(job.picture.workG, x, y, P.g - s.g);
        diffuseHalfQuarterEighths(job.picture.workR, x, y, P.r - s.r);
        job.screen.zxBitmap.setPixel(x, y, packColour({capped(s.b), capped(s.g), capped(s.r)}));
    }
}

void encodeCell(const Conversion& job, int cx, int cy)
{
    int c[layerCount + 1];
    for (int layer = 1; layer <= layerCount; ++layer) c[layer] = job.screen.rmExtra[layer - 1][32 * cy + cx] & 7;
    for (int y = 8 * cy; y < 8 * cy + 8; ++y) {
        const auto [p, q] = rowLayers(y);
        encodeRow(job, rowSlots(job, c[p], c[q]), cx, y);
    }
}

}  // namespace

int sqrtScale(double v)
{
    if (v <= 0.5) return 0;
    // The conversion truncates; a value between 255 and 256 caps to 255 either way.
    const long double r = 256.0L * std::exp(0.5L * std::log(static_cast<long double>(v) / 256.0L)) + 0.5L;
    return r > 255 ? 255 : static_cast<int>(r);
}

void convRMode(const Conversion& job)
{
    const bool noise = job.settings.rModeNoise;
    std::array<int32_t, screenWidth> greyCarry{};
    CellProjections projections(job.settings.kcolerr);
    int set = 0;
    for (int cy = 0; cy < screenHeight / cellSize; ++cy)
        for (int cx = 0; cx < screenWidth / cellSize; ++cx)
            set = analyseCell(job, projections, cx, cy, set, noise, greyCarry);
    for (int cy = 0; cy < screenHeight / cellSize; ++cy)
        for (int cx = 0; cx < screenWidth / cellSize; ++cx) encodeCell(job, cx, cy);
}

}  // namespace dw
