#include "picture/palette_file.h"

#include <fstream>
#include <vector>

namespace dw {

bool isPaletteFileName(const std::string& palName)
{
    std::string lower = palName;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower.find(".act") != std::string::npos;
}

namespace {

// Up to the first 48 bytes of the file.
Result<std::vector<uint8_t>> readPaletteFile(const std::string& name)
{
    std::vector<uint8_t> bytes(paletteFileBytes);
    std::ifstream in(name, std::ios::binary);
    if (!in) return Failure{"the palette file " + name + " cannot be opened"};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return Failure{"the palette file " + name + " cannot be read"};
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace

Status reloadPalette(const std::string& palName, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR)
{
    if (!isPaletteFileName(palName)) return {};
    const Result<std::vector<uint8_t>> bytes = readPaletteFile(palName);
    readPaletteBytes(bytes ? *bytes : std::vector<uint8_t>(), palB, palG, palR);
    if (!bytes) return Failure{bytes.error()};
    return {};
}

}  // namespace dw
