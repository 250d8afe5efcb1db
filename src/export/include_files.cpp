#include "export/include_files.h"

#include <cctype>
#include <filesystem>

namespace dw {

namespace {

constexpr size_t bytesPerLine = 16;

// Lines of `prefix` then the bytes in decimal separated by `separator`, each
// line closed by `closing`.
std::string byteLines(std::span<const uint8_t> bytes, const char* prefix, const char* separator, const char* closing)
{
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += bytesPerLine) {
        text += prefix;
        const size_t end = std::min(bytes.size(), at + bytesPerLine);
        for (size_t i = at; i < end; ++i) {
            text += std::to_string(bytes[i]);
            if (i + 1 < end) text += separator;
        }
        text += closing;
    }
    return text;
}

}  // namespace

std::string identifierOf(const std::string& fileName)
{
    std::string name;
    for (const char c : std::filesystem::path(fileName).filename().string())
        name += std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80 ? c : '_';
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) name.insert(name.begin(), '_');
    return name;
}

std::string assemblerInclude(const std::string& label, std::span<const uint8_t> bytes)
{
    return label + ":\n" + byteLines(bytes, "    defb ", ",", "\n") + label + "_len: equ " +
           std::to_string(bytes.size()) + "\n";
}

std::string cArray(const std::string& name, std::span<const uint8_t> bytes)
{
    return "const unsigned char " + name + "[" + std::to_string(bytes.size()) + "] = {\n" +
           byteLines(bytes, "    ", ", ", ",\n") + "};\nconst unsigned int " + name + "_len = " +
           std::to_string(bytes.size()) + ";\n";
}

}  // namespace dw
