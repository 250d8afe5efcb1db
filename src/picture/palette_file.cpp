#include "picture/palette_file.h"

#include <vector>

#include "base/file_prefix.h"

namespace dw {

bool isPaletteFileName(const std::string& palName)
{
    std::string lower = palName;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower.find(".act") != std::string::npos;
}

Status reloadPalette(const std::string& palName, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR)
{
    if (!isPaletteFileName(palName)) return {};
    const Result<std::vector<uint8_t>> bytes = readFilePrefix(palName, paletteFileBytes);
    readPaletteBytes(bytes ? *bytes : std::vector<uint8_t>(), palB, palG, palR);
    if (!bytes) return Failure{"the palette file " + palName + " " + bytes.error()};
    return {};
}

}  // namespace dw
