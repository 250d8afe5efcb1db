#include "modes/conv_8col.h"

#include <cstdint>

#include "colour/colour.h"
#include "colour/helpers.h"
#include "core/form.h"

namespace dw {

namespace {

// The channel after the dithering band: above dithHi full, then below dithLo off.
int32_t banded(int32_t v, uint8_t lo, uint8_t hi)
{
    if (v > hi) v = 255;
    if (v < lo) v = 0;
    return v;
}

// Decides one channel of pixel (x, y), spreads its error over the
// neighbours (right 1/2, below 1/4, below-left 1/8, below-right 1/8) and
// returns the bit.
int decideChannel(Plane& plane, int x, int y, uint8_t lo, uint8_t hi)
{
    const int32_t v = banded(plane[y][x], lo, hi);
    const int bit = v > 127 ? 1 : 0;
    const int32_t e = v - 255 * bit;
    plane[y][x + 1] += e / 2;
    plane[y + 1][x] += e / 4;
    plane[y + 1][x - 1] += e / 8;
    plane[y + 1][x + 1] += e / 8;
    return bit;
}

void shiftIn(uint8_t& byte, int bit) { byte = static_cast<uint8_t>(byte * 2 + bit); }

void storeLine(TForm1& form, int y)
{
    const int offset = 32 * zxline(y);
    for (int column = 0; column < 32; ++column) {
        form.scr1[offset + column] = form.rowPix1[column];
        form.scr1[6144 + offset + column] = form.rowAttr1[column];
        form.scr2[offset + column] = form.rowPix2[column];
    }
}

}  // namespace

void conv8col(TForm1& form)
{
    const uint8_t lo = form.dithLo, hi = form.dithHi;
    for (int y = 0; y < screenHeight; ++y) {
        for (int x = 0; x < screenWidth; ++x) {
            const int blue = decideChannel(form.workB, x, y, lo, hi);
            const int green = decideChannel(form.workG, x, y, lo, hi);
            const int red = decideChannel(form.workR, x, y, lo, hi);
            shiftIn(form.rowPix1[x / 8], blue);
            shiftIn(form.rowAttr1[x / 8], red);
            shiftIn(form.rowPix2[x / 8], green);
            form.zxBitmap.setPixel(x, y, packColour({255 * blue, 255 * green, 255 * red}));
        }
        storeLine(form, y);
    }
}

}  // namespace dw
