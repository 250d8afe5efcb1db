#pragma once
// A 24-bit picture: the decoded source picture and every preview. A colour
// is handed in and out packed as red + 256*green + 65536*blue.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/picture_bytes.h"

namespace dw {

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height) { resize(width, height); }
    // Takes over `rgb`, which holds width * height * 3 bytes.
    Bitmap(int width, int height, PictureBytes rgb) : width_(width), height_(height), rgb_(std::move(rgb)) {}

    void resize(int width, int height)
    {
        width_ = width;
        height_ = height;
        rgb_ = PictureBytes(static_cast<size_t>(width) * height * 3);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    uint32_t pixel(int x, int y) const
    {
        const uint8_t* p = at(x, y);
        return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    void setPixel(int x, int y, uint32_t colour)
    {
        uint8_t* p = at(x, y);
        p[0] = colour & 0xFF;
        p[1] = (colour >> 8) & 0xFF;
        p[2] = (colour >> 16) & 0xFF;
    }
    uint8_t red(int x, int y) const { return at(x, y)[0]; }
    uint8_t green(int x, int y) const { return at(x, y)[1]; }
    uint8_t blue(int x, int y) const { return at(x, y)[2]; }

    // Row-major red, green, blue bytes, top row first.
    const PictureBytes& rgb() const { return rgb_; }
    PictureBytes& rgb() { return rgb_; }

    bool operator==(const Bitmap& other) const = default;

private:
    const uint8_t* at(int x, int y) const { return rgb_.data() + (static_cast<size_t>(y) * width_ + x) * 3; }
    uint8_t* at(int x, int y) { return rgb_.data() + (static_cast<size_t>(y) * width_ + x) * 3; }

    int width_ = 0;
    int height_ = 0;
    PictureBytes rgb_;
};

}  // namespace dw
