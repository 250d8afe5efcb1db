#include "zxfiles/file_drawing.h"

#include <string>

#include "base/colour.h"
#include "modes/conv_r48.h"
#include "zxfiles/layouts.h"

namespace dw {

namespace {

constexpr size_t rModeColours = 12288;  // then four blocks of 768 layer colour bytes
constexpr size_t layerBlock = 768;

bool bitAt(std::span<const uint8_t> bitmap, int offset, int x) { return (bitmap[offset] & pixelMask(x)) != 0; }

Status checkSize(std::span<const uint8_t> file, size_t expected)
{
    if (file.size() == expected) return {};
    return Failure{"the file holds " + std::to_string(file.size()) + " bytes instead of " + std::to_string(expected)};
}

void startScreen(Bitmap& out)
{
    if (out.width() != screenWidth || out.height() != screenHeight) out.resize(screenWidth, screenHeight);
}

}  // namespace

Status drawEightColourFile(std::span<const uint8_t> file, Bitmap& out)
{
    if (Status sized = checkSize(file, eightColourFileSize); !sized) return sized;
    startScreen(out);
    const auto blue = file.first(bitmapSize), red = file.subspan(bitmapSize, bitmapSize),
               green = file.subspan(2 * bitmapSize, bitmapSize);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const int at = standardPixelOffset(x, y);
            out.setPixel(x, y, packColour({255 * bitAt(blue, at, x), 255 * bitAt(green, at, x), 255 * bitAt(red, at, x)}));
        }
    return {};
}

Status drawRModeFile(std::span<const uint8_t> file, const PaletteView& pal, Bitmap& out)
{
    if (Status sized = checkSize(file, rModeFileSize); !sized) return sized;
    startScreen(out);
    const auto bitmap1 = file.first(bitmapSize), bitmap2 = file.subspan(bitmapSize, bitmapSize);
    auto shown = [](const PaletteTable& table, int first, int second) {
        const int32_t doubled = 2 * ((table[first] + table[second]) & 0xFF);
        return doubled > 255 ? 255 : doubled;
    };
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const int cell = 32 * (y / 8) + x / 8;
            const size_t firstLayer = y % 2 == 1 ? 0 : 2;  // layers 1, 2 on odd rows; 3, 4 on even rows
            const int p = file[rModeColours + firstLayer * layerBlock + cell] & 7;
            const int q = file[rModeColours + (firstLayer + 1) * layerBlock + cell] & 7;
            const int at = linePixelOffset(x, y);
            const int first = bitAt(bitmap1, at, x) ? p : 0, second = bitAt(bitmap2, at, x) ? q : 0;
            out.setPixel(x, y, packColour({shown(pal.b, first, second), shown(pal.g, first, second),
                                           shown(pal.r, first, second)}));
        }
    return {};
}

Status drawR48File(std::span<const uint8_t> file, const PaletteView& pal, Bitmap& out)
{
    if (Status sized = checkSize(file, r48FileSize); !sized) return sized;
    startScreen(out);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const int at = linePixelOffset(x, y);
            const int k = file[multicolorAttrOffset(x, y)] & 7;
            const Colour colour{r48FullLevel(pal.b[k]), r48FullLevel(pal.g[k]), r48FullLevel(pal.r[k])};
            out.setPixel(x, y, bitAt(file, at, x) ? packColour(colour) : 0u);
        }
    return {};
}

}  // namespace dw
