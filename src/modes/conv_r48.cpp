#include "modes/conv_r48.h"

#include <array>

#include "base/colour.h"
#include "colour/dithering.h"
#include "colour/helpers.h"
#include "modes/work_pixels.h"

namespace dw {

namespace {

constexpr int cellWidth = 8;
constexpr int columns = screenWidth / cellWidth;

// Error shares spread over columns x - 3 .. x + 4 land in -3 .. 259; those
// outside 0..255 are never read back.
constexpr int rowMargin = 3;

class ErrorRow {
public:
    int32_t& operator[](int x) { return cells_[x + rowMargin]; }
    int32_t operator[](int x) const { return cells_[x + rowMargin]; }

private:
    std::array<int32_t, screenWidth + 2 * rowMargin + 1> cells_{};
};

// Carried error of the next row and of the row after it, per channel.
struct CarriedError {
    ErrorRow nextB, nextG, nextR, laterB, laterG, laterR;

    void advance()
    {
        for (int x = 0; x < screenWidth; ++x) {
            nextB[x] = laterB[x];
            nextG[x] = laterG[x];
            nextR[x] = laterR[x];
            laterB[x] = laterG[x] = laterR[x] = 0;
        }
    }
};

// Red, green, blue on rows with y mod 3 = 0, 1, 2.
int primaryOf(int y)
{
    static constexpr int primaries[3] = {2, 4, 1};
    return primaries[y % 3];
}

Colour fullLevel(const Conversion& job, int colour)
{
    return {r48FullLevel(job.palette.palB[colour]), r48FullLevel(job.palette.palG[colour]), r48FullLevel(job.palette.palR[colour])};
}

Colour halfLevel(const Colour& full) { return {full.b / 2, full.g / 2, full.r / 2}; }

int32_t limited(int32_t e) { return e < -256 ? -256 : (e > 256 ? 256 : e); }

// Sum over the cell of each pixel's least squared distance to black and to
// the half and full levels of the colour.
double cellError(const Conversion& job, int cx, int y, int colour)
{
    const Colour black{}, full = fullLevel(job, colour), half = halfLevel(full);
    double sum = 0;
    for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) {
        const Colour P = workPixel(job, x, y);
        sum += min3(squaredDistance(black, P), squaredDistance(half, P), squaredDistance(full, P));
    }
    return sum;
}

void chooseCellColour(const Conversion& job, const CarriedError& carried, int cx, int y)
{
    for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) {
        job.picture.workR[y][x] += carried.nextR[x];
        job.picture.workG[y][x] += carried.nextG[x];
        job.picture.workB[y][x] += carried.nextB[x];
    }
    const int p = primaryOf(y), q = 7 - p;
    const int colour = cellError(job, cx, y, p) < cellError(job, cx, y, q) ? p : q;
    job.screen.rmExtra[0][32 * y + cx] = static_cast<uint8_t>(64 + colour);
    for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) {
        job.picture.workB[y][x] = clampByte(job.picture.workB[y][x]);
        job.picture.workG[y][x] = clampByte(job.picture.workG[y][x]);
        job.picture.workR[y][x] = clampByte(job.picture.workR[y][x]);
        job.screen.modelBitmap.setPixel(x, y, packColour(workPixel(job, x, y)));
    }
}

// 1/32 of the error to each of columns x - 3 .. x + 4 of the next two rows.
void spreadBelow(ErrorRow& next, ErrorRow& later, int x, int32_t e)
{
    for (int j = -3; j <= 4; ++j) {
        next[x + j] += e / 32;
        later[x + j] += e / 32;
    }
}

void renderCell(const Conversion& job, CarriedError& carried, int cx, int y)
{
    const int colour = job.screen.rmExtra[0][32 * y + cx] & 7;
    const Colour full = fullLevel(job, colour);
    job.scratch.cellColB[0] = job.scratch.cellColG[0] = job.scratch.cellColR[0] = 0;
    job.scratch.cellColB[1] = full.b;
    job.scratch.cellColG[1] = full.g;
    job.scratch.cellColR[1] = full.r;
    const Colour slots[2] = {{}, full};

    uint8_t& bits = job.screen.scr1[32 * y + cx];
    const int last = cellWidth * cx + cellWidth - 1;
    for (int x = cellWidth * cx; x <= last; ++x) {
        const Colour P = {bandedChannel(job.picture.workB[y][x], job.settings.dithLo, job.settings.dithHi),
                          bandedChannel(job.picture.workG[y][x], job.settings.dithLo, job.settings.dithHi),
                          bandedChannel(job.picture.workR[y][x], job.settings.dithLo, job.settings.dithHi)};
        const int i = argmin2(squaredDistance(slots[0], P), squaredDistance(slots[1], P));
        bits = static_cast<uint8_t>(bits * 2 + i);
        const Colour e = {limited(P.b - slots[i].b), limited(P.g - slots[i].g), limited(P.r - slots[i].r)};
        spreadBelow(carried.nextB, carried.laterB, x, e.b);
        spreadBelow(carried.nextG, carried.laterG, x, e.g);
        spreadBelow(carried.nextR, carried.laterR, x, e.r);
        if (x != last) {
            job.picture.workB[y][x + 1] += e.b / 2;
            job.picture.workG[y][x + 1] += e.g / 2;
            job.picture.workR[y][x + 1] += e.r / 2;
        }
        job.screen.zxBitmap.setPixel(x, y, packColour(slots[i]));
    }
}

}  // namespace

void convR48Mode(const Conversion& job)
{
    CarriedError carried;
    for (int y = 0; y < screenHeight; ++y) {
        for (int cx = 0; cx < columns; ++cx) chooseCellColour(job, carried, cx, y);
        carried.advance();
        for (int cx = 0; cx < columns; ++cx) renderCell(job, carried, cx, y);
    }
}

}  // namespace dw
