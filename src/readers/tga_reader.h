#pragma once
// TGA pictures: file bytes in, a 24-bit bitmap out, or one sentence saying
// why the bytes are not a picture this reader can show.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/colour.h"
#include "readers/picture_loader.h"
#include "readers/reader_picture.h"

namespace dw {

// A Truevision TGA file decoded in the pixel format its depth calls for:
// 8-bit pixels indexed (a grey ramp for grey pictures, the colour map
// otherwise), 32-bit pixels blue-green-red-alpha, all others blue-green-red.
// Row 0 is the top row, whatever order the file stores its rows in.
class TTga : public ReaderPicture {
public:
    // Fails, leaving no picture, for a header this reader cannot decode. A file that ends inside the pixels keeps what was read.
    // Palette entries beyond the colour map are black.
    Status loadFromBytes(std::span<const uint8_t> bytes) override;

    // False when the file ended before the last pixel; the pixels never read
    // stay zero and pixelDecoded() tells which they are.
    bool complete() const { return pixelsRead_ == static_cast<size_t>(width_) * height_; }
    bool pixelDecoded(int x, int y) const;

    // The picture as a 24-bit bitmap: indices through the palette, alpha
    // dropped, pixels never read black.
    Bitmap toBitmap() const;

private:
    struct Header {
        int idLength, mapType, imageType, mapFirst, mapLength, mapEntryBits;
        int width, height, depth, descriptor;
    };

    Status checkHeader(const Header& header);
    size_t readColourMap(std::span<const uint8_t> bytes, size_t at);
    void readPixels(std::span<const uint8_t> bytes, size_t at, bool runLength);
    // Converts one stored value into the pixel at row-major `pixelIndex`.
    void storePixel(size_t pixelIndex, const uint8_t* value);
    size_t storedIndexOf(int x, int y) const;
    void readExtensionArea(std::span<const uint8_t> bytes);

    Header header_{};
    std::vector<Colour> colourMap_;  // every entry of the file's map
    size_t pixelsRead_ = 0;
};

Result<Bitmap> decodeTga(std::span<const uint8_t> bytes);

}  // namespace dw
