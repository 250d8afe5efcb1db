#pragma once
// PNG pictures: file bytes in, a 24-bit bitmap out, or one sentence saying
// why the bytes are not a picture this reader can show.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "readers/picture_loader.h"
#include "readers/reader_picture.h"

namespace dw {

// A PNG file decoded in the pixel format its colour type calls for: indexed
// (8-bit, with a 256-entry palette) for colour type 3, blue-green-red-alpha
// for the types with alpha (4, 6), red-green-blue for grey and RGB (0, 2).
// Sixteen-bit samples keep their high byte. Row 0 is the top row.
class TPNG : public ReaderPicture {
public:
    // Fails, leaving no picture, when the bytes cannot be decoded. Damaged chunk checksums and image data that ends early are
    // only noted in info(): what was read is kept.
    // Palette entries beyond the PLTE chunk are black.
    Status loadFromBytes(std::span<const uint8_t> bytes) override;

    // False when the image data ended before the last row; the pixels of
    // the rows never read stay zero and pixelDecoded() tells which they are.
    bool complete() const { return complete_; }
    bool pixelDecoded(int x, int y) const;

    // The picture as a 24-bit bitmap: indices through the palette, alpha
    // dropped, pixels never decoded black. Taken from a picture about to go,
    // a 24-bit one hands its storage over instead of being copied.
    Bitmap toBitmap() const&;
    Bitmap toBitmap() &&;

private:
    Status walkChunks(std::span<const uint8_t> chunks);
    Status readHeader(std::span<const uint8_t> data);
    void readPalette(std::span<const uint8_t> data);
    void readText(std::span<const uint8_t> data);
    Status decodeImage(std::span<const uint8_t> chunks);
    Status decodeRgbInPlace(PictureBytes data);
    template <class Rows>
    Status decodeRows(Rows& rows);
    size_t imageDataSize() const;
    size_t rowBytes(int passWidth) const;
    int channels() const;
    void storeRow(const uint8_t* row, int passIndex, int passRow, int passWidth);

    int bitDepth_ = 0;
    int colourType_ = 0;
    bool interlaced_ = false;
    bool haveHeader_ = false;
    bool haveImageData_ = false;

    bool complete_ = false;
    int stoppedPass_ = 0;  // where the image data ended, when !complete_
    int stoppedRow_ = 0;
};

Result<Bitmap> decodePng(std::span<const uint8_t> bytes);

}  // namespace dw
