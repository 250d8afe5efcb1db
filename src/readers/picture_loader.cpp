#include "readers/picture_loader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "readers/bmp_reader.h"
#include "readers/gif_adapter.h"
#include "readers/jpeg_adapter.h"
#include "readers/png_reader.h"
#include "readers/tga_reader.h"

namespace dw {

namespace {

// No picture within the size limits comes near this; a larger file is not
// read into memory at all.
constexpr long long maxPictureFileBytes = 512LL * 1024 * 1024;

using Decoder = Result<Bitmap> (*)(std::span<const uint8_t>);

std::string lowerCased(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

Decoder decoderFor(const std::string& name)
{
    const std::string lower = lowerCased(name);
    const auto has = [&](const char* text) { return lower.find(text) != std::string::npos; };
    if (has(".png"))
        return decodePng;
    if (has(".tga"))
        return decodeTga;
    if (has(".jpg") || has(".jpeg"))
        return decodeJpeg;
    if (has(".gif"))
        return decodeGif;
    if (has(".bmp"))
        return decodeBmp;
    return nullptr;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file, or why it cannot be read.
Result<std::vector<uint8_t>> readWholeFile(const std::string& name)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "rb"));
    if (!file)
        return Failure{std::string("the file cannot be opened: ") + std::strerror(errno)};
    const auto unreadable = [] { return Failure{std::string("the file cannot be read: ") + std::strerror(errno)}; };
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return unreadable();
    const long size = std::ftell(file.get());
    if (size < 0)
        return unreadable();
    if (size > maxPictureFileBytes)
        return Failure{"the file holds " + std::to_string(size) + " bytes, more than the " +
                       std::to_string(maxPictureFileBytes) + " a picture may have"};
    std::rewind(file.get());
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get()))
        return unreadable();
    bytes.resize(got);
    return bytes;
}

}  // namespace

bool namesAPicture(const std::string& name) { return decoderFor(name) != nullptr; }

Result<Bitmap> loadPicture(const std::string& name)
{
    const Decoder decode = decoderFor(name);
    if (!decode)
        return Bitmap();
    const Result<std::vector<uint8_t>> bytes = readWholeFile(name);
    if (!bytes)
        return Failure{bytes.error()};
    return decode(*bytes);
}

}  // namespace dw
