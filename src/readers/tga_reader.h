#pragma once
// TGA pictures: file bytes in, a 24-bit bitmap out, or one sentence saying
// why the bytes are not a picture this reader can show.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "colour/colour.h"
#include "readers/bitmap.h"
#include "readers/picture_loader.h"

namespace dw {

// A Truevision TGA file decoded in the pixel format its depth calls for:
// 8-bit pixels indexed (a grey ramp for grey pictures, the colour map
// otherwise), 32-bit pixels blue-green-red-alpha, all others blue-green-red.
// Row 0 is the top row, whatever order the file stores its rows in.
class TTga {
public:
    enum class Format { indexed8, bgr24, bgra32 };

    // False, with error() set and no picture, for a header this reader
    // cannot decode. A file that ends inside the pixels keeps what was read.
    bool loadFromBytes(std::span<const uint8_t> bytes);
    bool loadFromFile(const std::string& name);

    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }
    int bytesPerPixel() const;
    // width * height * bytesPerPixel bytes, rows top first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    // Entries beyond the colour map are black.
    const std::array<Colour, 256>& palette() const { return palette_; }

    // False when the file ended before the last pixel; the pixels never read
    // stay zero and pixelDecoded() tells which they are.
    bool complete() const { return pixelsRead_ == static_cast<size_t>(width_) * height_; }
    bool pixelDecoded(int x, int y) const;

    // Header values, image ID and extension-area fields; never shown.
    const std::vector<std::string>& info() const { return info_; }
    const std::string& error() const { return error_; }

    // The picture as a 24-bit bitmap: indices through the palette, alpha
    // dropped, pixels never read black.
    Bitmap toBitmap() const;

private:
    struct Header {
        int idLength, mapType, imageType, mapFirst, mapLength, mapEntryBits;
        int width, height, depth, descriptor;
    };

    bool fail(std::string sentence);
    bool checkHeader(const Header& header);
    size_t readColourMap(std::span<const uint8_t> bytes, size_t at);
    void readPixels(std::span<const uint8_t> bytes, size_t at, bool runLength);
    size_t pixelIndexOf(size_t storedIndex) const;
    void storePixel(size_t storedIndex, const uint8_t* value);
    size_t storedIndexOf(int x, int y) const;
    void readExtensionArea(std::span<const uint8_t> bytes);

    Header header_{};
    int width_ = 0;
    int height_ = 0;
    Format format_ = Format::bgr24;
    std::vector<uint8_t> pixels_;
    std::array<Colour, 256> palette_{};
    std::vector<Colour> colourMap_;  // every entry of the file's map
    size_t pixelsRead_ = 0;

    std::vector<std::string> info_;
    std::string error_;
};

PictureLoad decodeTga(std::span<const uint8_t> bytes);

}  // namespace dw
