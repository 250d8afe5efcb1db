#include "modes/conv_r48.h"

#include <algorithm>
#include <array>

#include "base/colour.h"
#include "base/screen.h"
#include "colour/dithering.h"

namespace dw {

namespace {

constexpr int cellWidth = 8;
constexpr int columns = screenWidth / cellWidth;

// Red, green, blue on rows with y mod 3 = 0, 1, 2.
constexpr int primaries[3] = {2, 4, 1};

// A colour a row may take, with its full and half levels.
struct RowColour {
    int colour = 0;
    Colour full, half;
};

// The primary and its complement for each of the three kinds of row.
struct RowChoices {
    RowColour primary[3], complement[3];
};

RowColour rowColourOf(const Conversion& job, int colour)
{
    const Colour full = {r48FullLevel(job.palette.palB[colour]), r48FullLevel(job.palette.palG[colour]),
                         r48FullLevel(job.palette.palR[colour])};
    return {colour, full, {full.b / 2, full.g / 2, full.r / 2}};
}

RowChoices rowChoicesOf(const Conversion& job)
{
    RowChoices choices;
    for (int kind = 0; kind < 3; ++kind) {
        choices.primary[kind] = rowColourOf(job, primaries[kind]);
        choices.complement[kind] = rowColourOf(job, 7 - primaries[kind]);
    }
    return choices;
}

// The least squared distance of p to black and to the colour's two levels.
inline int leastDistance(const Colour& p, int toBlack, const RowColour& colour)
{
    return std::min({toBlack, squaredDistance(colour.half, p), squaredDistance(colour.full, p)});
}

int32_t limited(int32_t e) { return e < -256 ? -256 : (e > 256 ? 256 : e); }

// One row's thirty-second shares per channel: first by sending pixel, then,
// once the row is rendered, summed per receiving column.
struct RowShares {
    std::array<int32_t, screenWidth> b{}, g{}, r{};
};

// Each pixel x sends its share to columns x - 3 .. x + 4 of the next two
// rows, so column c receives the shares of pixels c - 4 .. c + 3; shares
// beyond the picture's edges are dropped. Integer sums, so the order in
// which the shares arrive does not matter.
void sumPerReceiver(const std::array<int32_t, screenWidth>& sent, std::array<int32_t, screenWidth>& received)
{
    int32_t window = 0;
    for (int x = 0; x < 3; ++x) window += sent[x];
    for (int c = 0; c < screenWidth; ++c) {
        if (c + 3 < screenWidth) window += sent[c + 3];
        if (c - 5 >= 0) window -= sent[c - 5];
        received[c] = window;
    }
}

// What row y receives is the sum of the shares from rows y - 1 and y - 2.
struct CarriedError {
    RowShares last, beforeLast;

    void take(const RowShares& sent)
    {
        beforeLast = last;
        sumPerReceiver(sent.b, last.b);
        sumPerReceiver(sent.g, last.g);
        sumPerReceiver(sent.r, last.r);
    }
};

// Adds the carried error to row y and chooses every cell's colour: the
// complement wins equal sums. Then clamps the row to 0..255 and draws it into
// modelBitmap. Comparing the cell sums of (primary - complement) distances
// with 0 is comparing the two sums; carried values stay within a few hundred,
// so every sum fits an int.
void chooseRowColours(const Conversion& job, const CarriedError& carried, const RowColour& primary,
                      const RowColour& complement, int y)
{
    int32_t* const b = job.picture.workB[y];
    int32_t* const g = job.picture.workG[y];
    int32_t* const r = job.picture.workR[y];
    std::array<int32_t, screenWidth> lead;
    for (int x = 0; x < screenWidth; ++x) {
        b[x] += carried.last.b[x] + carried.beforeLast.b[x];
        g[x] += carried.last.g[x] + carried.beforeLast.g[x];
        r[x] += carried.last.r[x] + carried.beforeLast.r[x];
        const Colour p = {b[x], g[x], r[x]};
        const int toBlack = squaredDistance({}, p);
        lead[x] = leastDistance(p, toBlack, primary) - leastDistance(p, toBlack, complement);
    }
    for (int cx = 0; cx < columns; ++cx) {
        int sum = 0;
        for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) sum += lead[x];
        job.screen.rmExtra[0][32 * y + cx] = static_cast<uint8_t>(64 + (sum < 0 ? primary.colour : complement.colour));
    }
    for (int x = 0; x < screenWidth; ++x) {
        b[x] = std::clamp(b[x], 0, 255);
        g[x] = std::clamp(g[x], 0, 255);
        r[x] = std::clamp(r[x], 0, 255);
    }
    uint8_t* model = job.screen.modelBitmap.rgb().data() + 3 * screenWidth * y;
    for (int x = 0; x < screenWidth; ++x, model += 3) {
        model[0] = static_cast<uint8_t>(r[x]);
        model[1] = static_cast<uint8_t>(g[x]);
        model[2] = static_cast<uint8_t>(b[x]);
    }
}

void renderCell(const Conversion& job, const Colour& full, int cx, int y, RowShares& sent)
{
    job.scratch.cellColB[0] = job.scratch.cellColG[0] = job.scratch.cellColR[0] = 0;
    job.scratch.cellColB[1] = full.b;
    job.scratch.cellColG[1] = full.g;
    job.scratch.cellColR[1] = full.r;
    const uint8_t lo = job.settings.dithLo, hi = job.settings.dithHi;
    const uint32_t packedFull = packColour(full);

    int bits = 0;
    const int last = cellWidth * cx + cellWidth - 1;
    for (int x = cellWidth * cx; x <= last; ++x) {
        const Colour P = {bandedChannel(job.picture.workB[y][x], lo, hi), bandedChannel(job.picture.workG[y][x], lo, hi),
                          bandedChannel(job.picture.workR[y][x], lo, hi)};
        const int i = squaredDistance(full, P) <= squaredDistance({}, P) ? 1 : 0;
        bits = bits * 2 + i;
        const Colour slot = i ? full : Colour{};
        const Colour e = {limited(P.b - slot.b), limited(P.g - slot.g), limited(P.r - slot.r)};
        sent.b[x] = e.b / 32;
        sent.g[x] = e.g / 32;
        sent.r[x] = e.r / 32;
        if (x != last) {
            job.picture.workB[y][x + 1] += e.b / 2;
            job.picture.workG[y][x + 1] += e.g / 2;
            job.picture.workR[y][x + 1] += e.r / 2;
        }
        job.screen.zxBitmap.setPixel(x, y, i ? packedFull : 0);
    }
    job.screen.scr1[32 * y + cx] = static_cast<uint8_t>(bits);
}

}  // namespace

void convR48Mode(const Conversion& job)
{
    const RowChoices choices = rowChoicesOf(job);
    CarriedError carried;
    RowShares sent;
    for (int y = 0; y < screenHeight; ++y) {
        const RowColour& primary = choices.primary[y % 3];
        const RowColour& complement = choices.complement[y % 3];
        chooseRowColours(job, carried, primary, complement, y);
        for (int cx = 0; cx < columns; ++cx) {
            const bool isPrimary = (job.screen.rmExtra[0][32 * y + cx] & 7) == primary.colour;
            renderCell(job, isPrimary ? primary.full : complement.full, cx, y, sent);
        }
        carried.take(sent);
    }
}

}  // namespace dw
