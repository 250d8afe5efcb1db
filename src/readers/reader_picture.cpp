#include "readers/reader_picture.h"

#include <algorithm>
#include <utility>


namespace dw {

int ReaderPicture::bytesPerPixel() const
{
    switch (format_) {
    case Format::indexed8: return 1;
    case Format::bgr24:
    case Format::rgb24: return 3;
    case Format::bgra32: return 4;
    }
    return 3;
}

std::vector<std::string> ReaderPicture::info() const
{
    std::vector<std::string> lines = notes_;
    if (notesLeftOut_ > 0) lines.push_back(std::to_string(notesLeftOut_) + " more notes left out");
    return lines;
}

void ReaderPicture::note(std::string line)
{
    if (notes_.size() < maxNotes)
        notes_.push_back(std::move(line));
    else
        ++notesLeftOut_;
}

Failure ReaderPicture::fail(std::string sentence)
{
    width_ = height_ = 0;
    pixels_.clear();
    return {std::move(sentence)};
}

void ReaderPicture::copyPixels(size_t first, size_t count, size_t step, PictureBytes& rgb) const
{
    const size_t inStep = step * bytesPerPixel();
    const uint8_t* in = pixels_.data() + first * bytesPerPixel();
    uint8_t* out = rgb.data() + first * 3;
    if (format_ == Format::indexed8) {
        for (size_t i = 0; i < count; ++i, in += inStep, out += step * 3) {
            const Colour& c = palette_[in[0]];
            out[0] = static_cast<uint8_t>(c.r);
            out[1] = static_cast<uint8_t>(c.g);
            out[2] = static_cast<uint8_t>(c.b);
        }
        return;
    }
    if (format_ == Format::rgb24) {
        for (size_t i = 0; i < count; ++i, in += inStep, out += step * 3) std::copy_n(in, 3, out);
        return;
    }
    for (size_t i = 0; i < count; ++i, in += inStep, out += step * 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

Bitmap ReaderPicture::takeAsBitmap()
{
    uint8_t* p = pixels_.data();
    if (format_ == Format::bgr24)
        for (size_t i = 0; i < pixels_.size(); i += 3) std::swap(p[i], p[i + 2]);
    Bitmap bitmap(std::exchange(width_, 0), std::exchange(height_, 0), std::move(pixels_));
    return bitmap;
}

}  // namespace dw
