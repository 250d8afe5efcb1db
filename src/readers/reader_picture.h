#pragma once
// What our own picture readers hold once a file is decoded: the picture in
// the pixel format the file calls for, its palette and notes. Row 0 is the
// top row.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "base/colour.h"
#include "base/result.h"

namespace dw {

class ReaderPicture {
public:
    // rgb24 holds the bytes in a Bitmap's order, so a picture in it becomes
    // a bitmap as it is.
    enum class Format { indexed8, bgr24, rgb24, bgra32 };

    virtual ~ReaderPicture() = default;

    // Fails, leaving no picture, when the bytes cannot be decoded.
    virtual Status loadFromBytes(std::span<const uint8_t> bytes) = 0;

    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }
    int bytesPerPixel() const;
    // width * height * bytesPerPixel bytes, rows top first.
    const PictureBytes& pixels() const { return pixels_; }
    const std::array<Colour, 256>& palette() const { return palette_; }

    // Header values, text fields and damage notes; never shown to the user.
    // A damaged file may repeat a note without end, so only the first
    // maxNotes are kept, followed by a line counting the ones left out.
    std::vector<std::string> info() const;
    static constexpr size_t maxNotes = 32;

protected:
    // Drops the picture; returns the sentence as the failure.
    Failure fail(std::string sentence);
    void note(std::string line);
    // The `count` pixels from row-major index `first` on, `step` apart,
    // converted into rgb, a 24-bit bitmap's bytes: indices through the
    // palette, alpha dropped.
    void copyPixels(size_t first, size_t count, size_t step, PictureBytes& rgb) const;
    // A bgr24 or rgb24 picture as a bitmap in its own storage (bgr24 with red
    // and blue swapped in place), so a large picture is never held twice.
    // Leaves no picture.
    Bitmap takeAsBitmap();

    int width_ = 0;
    int height_ = 0;
    Format format_ = Format::bgr24;
    PictureBytes pixels_;
    std::array<Colour, 256> palette_{};

private:
    std::vector<std::string> notes_;
    size_t notesLeftOut_ = 0;
};

}  // namespace dw
