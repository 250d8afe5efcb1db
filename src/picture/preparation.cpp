// The sampling of the picture preparation. Floating-point steps run in
// extended precision; only values held as doubles (sx, sy, offset, the
// luminance) are rounded to double.

#include "picture/preparation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "base/colour.h"
#include "base/screen.h"

namespace dw {

namespace {

// The source column (or row) a position truncates to, or -1 outside the
// picture's `size` columns (rows). A position truncates into the picture
// exactly when it lies above -1 and below the size, and the picture has a
// column there: one between -1 and 0 truncates to column 0, which an empty
// picture lacks. Positions beyond any int read as outside.
int sourceIndex(long double position, int size)
{
    return size > 0 && position > -1 && position < size ? static_cast<int>(position) : -1;
}

// Truncated toward zero, then above 255 becomes 255 and below 0 becomes 0.
// Truncation cannot move a value across those bounds, so none is made. The
// value in between is truncated through the nearest double, which never lies
// beyond the integer next to the value (integers are doubles), so it is one
// too large at worst: this is exact and needs no switch of the x87 rounding
// mode, which a long double's truncation makes.
int32_t clampComponent(long double value)
{
    if (value > 255) return 255;
    if (!(value > -1)) return 0;
    const int32_t nearest = static_cast<int32_t>(static_cast<double>(value));
    return std::max(0, nearest - static_cast<int32_t>(nearest > value));
}

class Tone {
public:
    Tone(double contrast, double offset, double saturation) : saturation_(saturation)
    {
        // A channel's contrast step depends on its own value only.
        for (int c = 0; c < 256; ++c) stretched_[c] = std::trunc(c * static_cast<long double>(contrast) + offset);
    }

    Colour apply(const Colour& c) const
    {
        const long double b1 = stretched_[c.b], g1 = stretched_[c.g], r1 = stretched_[c.r];
        const double lum = static_cast<double>(0.15L * b1 + 0.3L * r1 + 0.55L * g1);
        return {clampComponent((b1 - lum) * saturation_ + lum), clampComponent((g1 - lum) * saturation_ + lum),
                clampComponent((r1 - lum) * saturation_ + lum)};
    }

private:
    std::array<long double, 256> stretched_;
    double saturation_;
};

}  // namespace

void samplePicture(const Bitmap& source, const Sampling& sampling, Plane& workB, Plane& workG, Plane& workR,
                   Bitmap& normBitmap)
{
    const double sx = static_cast<double>(sampling.cropWidth / 256.0L);
    const double sy = static_cast<double>(sampling.cropHeight / 192.0L);
    const double offset =
        static_cast<double>(256.0L * sampling.brightness - 128.0L * (sampling.contrast - 1.0L));
    const Tone tone(sampling.contrast, offset, sampling.saturation);
    // A position depends on its own column or row only.
    std::array<int, screenWidth> columns;
    for (int x = 0; x < screenWidth; ++x)
        columns[x] = sourceIndex(static_cast<long double>(x) * sx + sampling.cropX, source.width());
    Bitmap sampled(screenWidth, screenHeight);
    for (int y = 0; y < screenHeight; ++y) {
        const int row = sourceIndex(static_cast<long double>(y) * sy + sampling.cropY, source.height());
        for (int x = 0; x < screenWidth; ++x) {
            const int column = columns[x];
            const Colour white{255, 255, 255};
            Colour c = tone.apply(row < 0 || column < 0 ? white
                                                        : Colour{source.blue(column, row), source.green(column, row),
                                                                 source.red(column, row)});
            workB[y][x] = c.b;
            workG[y][x] = c.g;
            workR[y][x] = c.r;
            sampled.setPixel(x, y, packColour(c));
        }
    }
    normBitmap = std::move(sampled);
}

}  // namespace dw
