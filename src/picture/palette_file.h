#pragma once
// Palette files (".act"): red, green, blue byte triples with no header. The
// first 16 triples replace the converter's palette at half their value.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace dw {

class TForm1;

inline constexpr size_t paletteFileBytes = 48;  // 16 entries of red, green, blue

using PaletteTable = std::array<int32_t, 16>;

// Fills the three palettes from the first 48 bytes of `bytes`. Each
// component is read through a holder that starts at 0; where the bytes run
// out the holder keeps the last byte read, so a short file repeats its last
// red, green and blue and an empty one gives black.
void readPaletteBytes(std::span<const uint8_t> bytes, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR);

// Whether the preparation reloads the palette from `palName`: its
// lower-cased form contains ".act" anywhere.
bool isPaletteFileName(const std::string& palName);

// The reload step of every preparation: when `palName` names a palette file,
// reads it (a file that cannot be opened reads as empty) into the palettes.
void reloadPalette(TForm1& form);

}  // namespace dw
