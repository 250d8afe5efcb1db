#include "modes/conv_8col.h"

#include <cstdint>

#include "base/colour.h"
#include "colour/dithering.h"
#include "colour/helpers.h"

namespace dw {

namespace {

// Decides one channel of pixel (x, y), spreads its error over the
// neighbours (right 1/2, below 1/4, below-left 1/8, below-right 1/8) and
// returns the bit.
int decideChannel(Plane& plane, int x, int y, uint8_t lo, uint8_t hi)
{
    const int32_t v = bandedChannel(plane[y][x], lo, hi);
    const int bit = v > 127 ? 1 : 0;
    diffuseHalfQuarterEighths(plane, x, y, v - 255 * bit);
    return bit;
}

void shiftIn(uint8_t& byte, int bit) { byte = static_cast<uint8_t>(byte * 2 + bit); }

void storeLine(const Conversion& job, int y)
{
    const int offset = 32 * zxline(y);
    for (int column = 0; column < 32; ++column) {
        job.screen.scr1[offset + column] = job.scratch.rowPix1[column];
        job.screen.scr1[6144 + offset + column] = job.scratch.rowAttr1[column];
        job.screen.scr2[offset + column] = job.scratch.rowPix2[column];
    }
}

}  // namespace

void conv8col(const Conversion& job)
{
    const uint8_t lo = job.settings.dithLo, hi = job.settings.dithHi;
    for (int y = 0; y < screenHeight; ++y) {
        for (int x = 0; x < screenWidth; ++x) {
            const int blue = decideChannel(job.picture.workB, x, y, lo, hi);
            const int green = decideChannel(job.picture.workG, x, y, lo, hi);
            const int red = decideChannel(job.picture.workR, x, y, lo, hi);
            shiftIn(job.scratch.rowPix1[x / 8], blue);
            shiftIn(job.scratch.rowAttr1[x / 8], red);
            shiftIn(job.scratch.rowPix2[x / 8], green);
            job.screen.zxBitmap.setPixel(x, y, packColour({255 * blue, 255 * green, 255 * red}));
        }
        storeLine(job, y);
    }
}

}  // namespace dw
