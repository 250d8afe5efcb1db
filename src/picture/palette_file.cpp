#include "picture/palette_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <vector>

#include "core/form.h"
#include "picture/working_folder.h"

namespace dw {

void readPaletteBytes(std::span<const uint8_t> bytes, PaletteTable& palB, PaletteTable& palG, PaletteTable& palR)
{
    std::array<uint8_t, 3> holders{};  // red, green, blue
    size_t next = 0;
    for (size_t entry = 0; entry < palR.size(); ++entry) {
        for (uint8_t& holder : holders) {
            if (next < bytes.size()) holder = bytes[next];
            ++next;
        }
        palR[entry] = holders[0] / 2;
        palG[entry] = holders[1] / 2;
        palB[entry] = holders[2] / 2;
    }
}

bool isPaletteFileName(const std::string& palName)
{
    std::string lower = palName;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find(".act") != std::string::npos;
}

namespace {

std::vector<uint8_t> readPaletteFile(const std::string& name)
{
    std::vector<uint8_t> bytes(paletteFileBytes);
    std::ifstream in(name, std::ios::binary);
    if (!in) return {};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace

void reloadPalette(TForm1& form)
{
    if (!isPaletteFileName(form.palName)) return;
    std::vector<uint8_t> bytes = readPaletteFile(form.palName);
    readPaletteBytes(bytes, form.palB, form.palG, form.palR);
}

void TForm1::Button2Click()
{
    btSaveDraw.enabled = false;
    retouchOn = false;
    if (std::optional<std::string> chosen = dialogs_.choosePalette(workingFolder())) {
        palName = cutName(*chosen);
        enterFolderOf(*chosen);
    }
    edBrightnessChange();
}

}  // namespace dw
