#include "export/export_file.h"

#include "export/include_files.h"

namespace dw {

namespace {

const char* machineOf(Display display)
{
    switch (display) {
    case Display::standard: return "a 48K Spectrum";
    case Display::gigascreen: return "a 128K Spectrum";
    case Display::hiColour: return "a Timex TC2048";
    }
    return "";
}

Status checkDisplays(ExportTarget target, std::span<const ExportScreen> screens)
{
    const ExportScreen& first = screens.front();
    if (target == ExportTarget::snapshot && screens.size() > 1)
        return Failure{"a snapshot shows one screen, but " + std::to_string(screens.size()) + " were given"};
    for (const ExportScreen& screen : screens) {
        if (!screen.display) return Failure{screen.fileName + ": no Spectrum shows this kind of screen file"};
        if (screen.bytes.size() != displayBytes(*screen.display))
            return Failure{screen.fileName + ": " + std::to_string(screen.bytes.size()) + " bytes where " +
                           std::to_string(displayBytes(*screen.display)) + " were expected"};
        if (*screen.display != *first.display)
            return Failure{first.fileName + " needs " + machineOf(*first.display) + " and " + screen.fileName + " " +
                           machineOf(*screen.display) + ": one tape serves one machine"};
    }
    return {};
}

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

std::optional<ExportTarget> exportTargetOf(const std::string& outputName)
{
    const size_t dot = outputName.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string extension = outputName.substr(dot + 1);
    if (extension == "tap" || extension == "TAP") return ExportTarget::tape;
    if (extension == "z80" || extension == "Z80") return ExportTarget::snapshot;
    if (extension == "asm" || extension == "ASM") return ExportTarget::assembler;
    if (extension == "h" || extension == "H") return ExportTarget::cHeader;
    return std::nullopt;
}

Result<std::vector<uint8_t>> exportFile(ExportTarget target, std::span<const ExportScreen> screens,
                                        const std::string& outputName)
{
    if (screens.empty()) return Failure{"no screen file to export"};
    if (needsDisplay(target)) {
        if (Status shown = checkDisplays(target, screens); !shown) return Failure{shown.error()};
        const Display display = *screens.front().display;
        if (target == ExportTarget::snapshot) return screenSnapshot(display, screens.front().bytes);
        std::vector<NamedScreen> named;
        for (const ExportScreen& screen : screens) named.push_back({screen.fileName, screen.bytes});
        return screenTape(display, named, outputName);
    }
    std::string text;
    for (const ExportScreen& screen : screens) {
        const std::string name = identifierOf(screen.fileName);
        text += target == ExportTarget::assembler ? assemblerInclude(name, screen.bytes) : cArray(name, screen.bytes);
    }
    return bytesOf(text);
}

}  // namespace dw
