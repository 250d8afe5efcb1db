// The sampling of the picture preparation. Floating-point steps run in
// extended precision; only values held as doubles (sx, sy, offset, the
// luminance) are rounded to double.

#include "picture/preparation.h"

#include <cmath>
#include <utility>

#include "base/colour.h"
#include "base/screen.h"

namespace dw {

namespace {

// Source pixel at the truncated position; white outside the picture (and
// everywhere in an empty one). Positions beyond any int read as outside.
Colour sourcePixel(const Bitmap& picture, long double u, long double v)
{
    if (!(u >= 0 && u < picture.width() && v >= 0 && v < picture.height())) return {255, 255, 255};
    int x = static_cast<int>(u), y = static_cast<int>(v);
    return {picture.blue(x, y), picture.green(x, y), picture.red(x, y)};
}

// Above 255 becomes 255, then below 0 becomes 0.
int32_t clampComponent(long double value)
{
    if (value > 255) return 255;
    if (!(value >= 0)) return 0;
    return static_cast<int32_t>(value);
}

struct Tone {
    double contrast, offset, saturation;

    Colour apply(const Colour& c) const
    {
        long double b1 = std::trunc(c.b * static_cast<long double>(contrast) + offset);
        long double g1 = std::trunc(c.g * static_cast<long double>(contrast) + offset);
        long double r1 = std::trunc(c.r * static_cast<long double>(contrast) + offset);
        double lum = static_cast<double>(0.15L * b1 + 0.3L * r1 + 0.55L * g1);
        return {clampComponent(std::trunc((b1 - lum) * saturation + lum)),
                clampComponent(std::trunc((g1 - lum) * saturation + lum)),
                clampComponent(std::trunc((r1 - lum) * saturation + lum))};
    }
};

}  // namespace

void samplePicture(const Bitmap& source, const Sampling& sampling, Plane& workB, Plane& workG, Plane& workR,
                   Bitmap& normBitmap)
{
    const double sx = static_cast<double>(sampling.cropWidth / 256.0L);
    const double sy = static_cast<double>(sampling.cropHeight / 192.0L);
    const double offset =
        static_cast<double>(256.0L * sampling.brightness - 128.0L * (sampling.contrast - 1.0L));
    const Tone tone{sampling.contrast, offset, sampling.saturation};
    Bitmap sampled(screenWidth, screenHeight);
    for (int y = 0; y < screenHeight; ++y) {
        long double v = std::trunc(static_cast<long double>(y) * sy + sampling.cropY);
        for (int x = 0; x < screenWidth; ++x) {
            long double u = std::trunc(static_cast<long double>(x) * sx + sampling.cropX);
            Colour c = tone.apply(sourcePixel(source, u, v));
            workB[y][x] = c.b;
            workG[y][x] = c.g;
            workR[y][x] = c.r;
            sampled.setPixel(x, y, packColour(c));
        }
    }
    normBitmap = std::move(sampled);
}

}  // namespace dw
