#include "cli/screen_files.h"

#include <filesystem>
#include <fstream>
#include <cctype>
#include <iterator>

#include "zxfiles/layouts.h"

namespace dw::cli {

namespace {

const ScreenFileType types[] = {
    {ScreenFileKind::scr, "scr", scrFileSize, Display::standard, true},
    {ScreenFileKind::img, "img", imgFileSize, Display::gigascreen, true},
    {ScreenFileKind::emg, "emg", emgFileSize, Display::gigascreen, true},
    {ScreenFileKind::mc, "mc", mcFileSize, Display::hiColour, true},
    {ScreenFileKind::mcx, "mcx", mcxFileSize, std::nullopt, true},
    {ScreenFileKind::eightColour, "3", eightColourFileSize, std::nullopt, false},
    {ScreenFileKind::rMode, "rm", rModeFileSize, std::nullopt, false},
    {ScreenFileKind::r48, "r48", r48FileSize, std::nullopt, false},
};

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

const ScreenFileType* screenFileTypeOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    for (const ScreenFileType& type : types)
        if (extension == type.extension || extension == upper(type.extension)) return &type;
    return nullptr;
}

std::string screenFileExtensions() { return "scr, img, emg, mc, mcx, 3, rm or r48"; }

Result<std::vector<uint8_t>> readScreenFile(const std::string& name, const ScreenFileType& type)
{
    std::error_code error;
    std::ifstream in(name, std::ios::binary);
    if (!std::filesystem::is_regular_file(name, error) || !in) return Failure{"cannot read " + name};
    const uintmax_t size = std::filesystem::file_size(name, error);
    if (error || size != type.bytes)
        return Failure{name + ": " + std::to_string(size) + " bytes, but a ." + type.extension + " file holds " +
                       std::to_string(type.bytes)};
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != type.bytes) return Failure{"cannot read " + name};
    return bytes;
}

}  // namespace dw::cli
