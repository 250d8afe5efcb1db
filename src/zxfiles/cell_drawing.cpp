#include "zxfiles/cell_drawing.h"

#include "zxfiles/layouts.h"

namespace dw {

namespace {

struct Geometry {
    int (*pixelOffset)(int x, int y);
    int (*attrOffset)(int x, int y);
};

constexpr Geometry standardGeometry{[](int x, int y) { return standardPixelOffset(x, y); },
                                    [](int x, int y) { return standardAttrOffset(x, y); }};
constexpr Geometry multicolorGeometry{[](int x, int y) { return linePixelOffset(x, y); },
                                      [](int x, int y) { return multicolorAttrOffset(x, y); }};

Colour entry(const PaletteView& pal, int k) { return {pal.b[k], pal.g[k], pal.r[k]}; }

uint32_t packed(const Colour& c) { return packColour({c.b & 0xFF, c.g & 0xFF, c.r & 0xFF}); }

void ensureScreenSize(Bitmap& out)
{
    if (out.width() != screenWidth || out.height() != screenHeight) out.resize(screenWidth, screenHeight);
}

// Paints the 8 pixels of one byte: slot (bit of screen 2) * 2 + (bit of screen 1).
void paintByte(Bitmap& out, int x0, int y, uint8_t bits1, uint8_t bits2, const uint32_t (&slots)[4])
{
    for (int i = 0; i < 8; ++i) {
        const uint8_t mask = pixelMask(i);
        const int slot = ((bits2 & mask) ? 2 : 0) + ((bits1 & mask) ? 1 : 0);
        out.setPixel(x0 + i, y, slots[slot]);
    }
}

void drawSingle(const ScreenBuffer& scr, const Geometry& geometry, const PaletteView& pal, Bitmap& out)
{
    ensureScreenSize(out);
    for (int y = 0; y < screenHeight; ++y)
        for (int x0 = 0; x0 < screenWidth; x0 += 8) {
            const uint8_t a = scr[geometry.attrOffset(x0, y)];
            const uint32_t paper = packed(doubled(entry(pal, paperIndex(a))));
            const uint32_t ink = packed(doubled(entry(pal, inkIndex(a))));
            const uint8_t bits = scr[geometry.pixelOffset(x0, y)];
            paintByte(out, x0, y, bits, 0, {paper, ink, paper, ink});
        }
}

void drawPair(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const Geometry& geometry, const PaletteView& pal,
              Bitmap& out)
{
    ensureScreenSize(out);
    for (int y = 0; y < screenHeight; ++y)
        for (int x0 = 0; x0 < screenWidth; x0 += 8) {
            const int attr = geometry.attrOffset(x0, y);
            const Colour paper1 = entry(pal, paperIndex(scr1[attr])), ink1 = entry(pal, inkIndex(scr1[attr]));
            const Colour paper2 = entry(pal, paperIndex(scr2[attr])), ink2 = entry(pal, inkIndex(scr2[attr]));
            const uint32_t slots[4] = {packed(paper1 + paper2), packed(ink1 + paper2), packed(paper1 + ink2),
                                       packed(ink1 + ink2)};
            const int pixels = geometry.pixelOffset(x0, y);
            paintByte(out, x0, y, scr1[pixels], scr2[pixels], slots);
        }
}

}  // namespace

void drawStandardScreen(const ScreenBuffer& scr, const PaletteView& pal, Bitmap& out)
{
    drawSingle(scr, standardGeometry, pal, out);
}

void drawStandardPair(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const PaletteView& pal, Bitmap& out)
{
    drawPair(scr1, scr2, standardGeometry, pal, out);
}

void drawMulticolorScreen(const ScreenBuffer& scr, const PaletteView& pal, Bitmap& out)
{
    drawSingle(scr, multicolorGeometry, pal, out);
}

void drawMulticolorPair(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const PaletteView& pal, Bitmap& out)
{
    drawPair(scr1, scr2, multicolorGeometry, pal, out);
}

}  // namespace dw
