#pragma once
// Drawing Spectrum screens into a 256x192 preview with the palettes as they
// stand. A single screen shows twice the palette entry of the pixel's ink or
// paper; a pair shows the sum of screen 1's and screen 2's entries. Each
// component is taken modulo 256; the flash bit is ignored.

#include "base/bitmap.h"
#include "base/screen.h"
#include "colour/palette.h"

namespace dw {

struct PaletteView {
    const PaletteTable& b;
    const PaletteTable& g;
    const PaletteTable& r;
};

// The preview is made 256x192 first if it is not already.
// Standard screens: bitmap in Spectrum line order, one attribute per 8x8 cell.
void drawStandardScreen(const ScreenBuffer& scr, const PaletteView& pal, Bitmap& out);
void drawStandardPair(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const PaletteView& pal, Bitmap& out);
// Multicolor screens: bitmap in line order, one attribute per 8x1 cell.
void drawMulticolorScreen(const ScreenBuffer& scr, const PaletteView& pal, Bitmap& out);
void drawMulticolorPair(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const PaletteView& pal, Bitmap& out);

}  // namespace dw
