#pragma once
// The palette file the user chose, reloaded by every preparation.

#include <string>

#include "base/result.h"
#include "picture/palette_bytes.h"

namespace dw {

// Whether the preparation reloads the palette from `palName`: its
// lower-cased form contains ".act" anywhere.
bool isPaletteFileName(const std::string& palName);

// The reload step of every preparation: when `palName` names a palette file,
// reads it into the palettes. A file that cannot be read reads as empty (every
// colour black), and the reload fails saying why.
Status reloadPalette(const std::string& palName, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR);

}  // namespace dw
