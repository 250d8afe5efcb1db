#pragma once
// Drawing the screen files the loader does not read (".3", ".rm", ".r48")
// straight from their bytes into a 256x192 preview. Each file holds all its
// converter's screen preview shows, so the drawing equals that preview for
// the same palette. A file of any other size draws nothing and fails.

#include <cstdint>
#include <span>

#include "base/bitmap.h"
#include "base/result.h"
#include "zxfiles/cell_drawing.h"

namespace dw {

// Every pixel one of the eight colours, each component 0 or 255 by its plane's bit.
Status drawEightColourFile(std::span<const uint8_t> file, Bitmap& out);
// Odd rows show layers 1 and 2, even rows layers 3 and 4; a pixel is twice
// the sum of the palette entries of its two layers' colours where their bits
// are set (entry 0 where not), each sum kept in 8 bits, capped at 255.
Status drawRModeFile(std::span<const uint8_t> file, const PaletteView& pal, Bitmap& out);
// A set bit shows its 8x1 cell's colour at four times the palette entry
// (capped at 255), a clear bit black.
Status drawR48File(std::span<const uint8_t> file, const PaletteView& pal, Bitmap& out);

}  // namespace dw
