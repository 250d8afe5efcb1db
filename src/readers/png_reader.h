#pragma once
// PNG pictures: file bytes in, a 24-bit bitmap out, or one sentence saying
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

// A PNG file decoded in the pixel format its colour type calls for: indexed
// (8-bit, with a 256-entry palette) for colour type 3, blue-green-red-alpha
// for the types with alpha (4, 6), blue-green-red for grey and RGB (0, 2).
// Sixteen-bit samples keep their high byte. Row 0 is the top row.
class TPNG {
public:
    enum class Format { indexed8, bgr24, bgra32 };

    // False, with error() set and no picture, when the bytes cannot be
    // decoded. Damaged chunk checksums and image data that ends early are
    // only noted in info(): what was read is kept.
    bool loadFromBytes(std::span<const uint8_t> bytes);
    bool loadFromFile(const std::string& name);

    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }
    int bytesPerPixel() const;
    // width * height * bytesPerPixel bytes, rows top first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    // Entries beyond the PLTE chunk are black.
    const std::array<Colour, 256>& palette() const { return palette_; }

    // False when the image data ended before the last row; the pixels of
    // the rows never read stay zero and pixelDecoded() tells which they are.
    bool complete() const { return complete_; }
    bool pixelDecoded(int x, int y) const;

    // Header values, text chunks and damage notes; never shown to the user.
    const std::vector<std::string>& info() const { return info_; }
    const std::string& error() const { return error_; }

    // The picture as a 24-bit bitmap: indices through the palette, alpha
    // dropped, pixels never decoded black.
    Bitmap toBitmap() const;

private:
    bool fail(std::string sentence);
    bool walkChunks(std::span<const uint8_t> bytes);
    bool readHeader(std::span<const uint8_t> data);
    void readPalette(std::span<const uint8_t> data);
    void readText(std::span<const uint8_t> data);
    bool decodeImage();
    int channels() const;
    void storeRow(const uint8_t* row, int passIndex, int passRow, int passWidth);

    int width_ = 0;
    int height_ = 0;
    int bitDepth_ = 0;
    int colourType_ = 0;
    bool interlaced_ = false;
    bool haveHeader_ = false;
    std::vector<uint8_t> compressed_;

    Format format_ = Format::bgr24;
    std::vector<uint8_t> pixels_;
    std::array<Colour, 256> palette_{};
    bool complete_ = false;
    int stoppedPass_ = 0;  // where the image data ended, when !complete_
    int stoppedRow_ = 0;

    std::vector<std::string> info_;
    std::string error_;
};

PictureLoad decodePng(std::span<const uint8_t> bytes);

}  // namespace dw
