#include "modes/conv_r48.h"

#include <array>

#include "colour/colour.h"
#include "colour/helpers.h"
#include "core/form.h"

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

Colour fullLevel(const TForm1& form, int colour)
{
    return {r48FullLevel(form.palB[colour]), r48FullLevel(form.palG[colour]), r48FullLevel(form.palR[colour])};
}

Colour halfLevel(const Colour& full) { return {full.b / 2, full.g / 2, full.r / 2}; }

int32_t squaredDistance(const Colour& a, const Colour& b)
{
    return (a.b - b.b) * (a.b - b.b) + (a.g - b.g) * (a.g - b.g) + (a.r - b.r) * (a.r - b.r);
}

Colour workPixel(const TForm1& form, int x, int y) { return {form.workB[y][x], form.workG[y][x], form.workR[y][x]}; }

int32_t clampByte(int32_t v)
{
    if (v > 255) v = 255;
    if (v < 0) v = 0;
    return v;
}

int32_t banded(int32_t v, uint8_t lo, uint8_t hi)
{
    if (v > hi) v = 255;
    if (v < lo) v = 0;
    return v;
}

int32_t limited(int32_t e) { return e < -256 ? -256 : (e > 256 ? 256 : e); }

// Sum over the cell of each pixel's least squared distance to black and to
// the half and full levels of the colour.
double cellError(const TForm1& form, int cx, int y, int colour)
{
    const Colour black{}, full = fullLevel(form, colour), half = halfLevel(full);
    double sum = 0;
    for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) {
        const Colour P = workPixel(form, x, y);
        sum += min3(squaredDistance(black, P), squaredDistance(half, P), squaredDistance(full, P));
    }
    return sum;
}

void chooseCellColour(TForm1& form, const CarriedError& carried, int cx, int y)
{
    for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) {
        form.workR[y][x] += carried.nextR[x];
        form.workG[y][x] += carried.nextG[x];
        form.workB[y][x] += carried.nextB[x];
    }
    const int p = primaryOf(y), q = 7 - p;
    const int colour = cellError(form, cx, y, p) < cellError(form, cx, y, q) ? p : q;
    form.rmExtra[0][32 * y + cx] = static_cast<uint8_t>(64 + colour);
    for (int x = cellWidth * cx; x < cellWidth * cx + cellWidth; ++x) {
        form.workB[y][x] = clampByte(form.workB[y][x]);
        form.workG[y][x] = clampByte(form.workG[y][x]);
        form.workR[y][x] = clampByte(form.workR[y][x]);
        form.modelBitmap.setPixel(x, y, packColour(workPixel(form, x, y)));
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

void renderCell(TForm1& form, CarriedError& carried, int cx, int y)
{
    const int colour = form.rmExtra[0][32 * y + cx] & 7;
    const Colour full = fullLevel(form, colour);
    form.cellColB[0] = form.cellColG[0] = form.cellColR[0] = 0;
    form.cellColB[1] = full.b;
    form.cellColG[1] = full.g;
    form.cellColR[1] = full.r;
    const Colour slots[2] = {{}, full};

    uint8_t& bits = form.scr1[32 * y + cx];
    const int last = cellWidth * cx + cellWidth - 1;
    for (int x = cellWidth * cx; x <= last; ++x) {
        const Colour P = {banded(form.workB[y][x], form.dithLo, form.dithHi),
                          banded(form.workG[y][x], form.dithLo, form.dithHi),
                          banded(form.workR[y][x], form.dithLo, form.dithHi)};
        const int i = argmin2(squaredDistance(slots[0], P), squaredDistance(slots[1], P));
        bits = static_cast<uint8_t>(bits * 2 + i);
        const Colour e = {limited(P.b - slots[i].b), limited(P.g - slots[i].g), limited(P.r - slots[i].r)};
        spreadBelow(carried.nextB, carried.laterB, x, e.b);
        spreadBelow(carried.nextG, carried.laterG, x, e.g);
        spreadBelow(carried.nextR, carried.laterR, x, e.r);
        if (x != last) {
            form.workB[y][x + 1] += e.b / 2;
            form.workG[y][x + 1] += e.g / 2;
            form.workR[y][x + 1] += e.r / 2;
        }
        form.zxBitmap.setPixel(x, y, packColour(slots[i]));
    }
}

}  // namespace

void convR48Mode(TForm1& form)
{
    CarriedError carried;
    for (int y = 0; y < screenHeight; ++y) {
        for (int cx = 0; cx < columns; ++cx) chooseCellColour(form, carried, cx, y);
        carried.advance();
        for (int cx = 0; cx < columns; ++cx) renderCell(form, carried, cx, y);
    }
}

}  // namespace dw
