#include "readers/bmp_writer.h"

namespace dw {

namespace {

constexpr uint32_t fileHeaderBytes = 14;
constexpr uint32_t infoHeaderBytes = 40;

void append16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void append32(std::vector<uint8_t>& out, uint32_t value)
{
    append16(out, value & 0xFFFF);
    append16(out, value >> 16);
}

}  // namespace

std::vector<uint8_t> encodeBmp24(const Bitmap& bitmap)
{
    const uint32_t width = static_cast<uint32_t>(bitmap.width());
    const uint32_t height = static_cast<uint32_t>(bitmap.height());
    const uint32_t stride = (width * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = stride * height;
    const uint32_t offset = fileHeaderBytes + infoHeaderBytes;

    std::vector<uint8_t> out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    append32(out, offset + pixelBytes);
    append32(out, 0);  // reserved
    append32(out, offset);

    append32(out, infoHeaderBytes);
    append32(out, width);
    append32(out, height);  // positive: bottom-up
    append16(out, 1);       // planes
    append16(out, 24);      // bits per pixel
    append32(out, 0);       // no compression
    append32(out, pixelBytes);
    append32(out, 2835);  // 72 dots per inch, in pixels per metre
    append32(out, 2835);
    append32(out, 0);  // colours used
    append32(out, 0);  // important colours

    for (int y = bitmap.height() - 1; y >= 0; --y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            out.push_back(bitmap.blue(x, y));
            out.push_back(bitmap.green(x, y));
            out.push_back(bitmap.red(x, y));
        }
        out.resize(out.size() + (stride - width * 3), 0);
    }
    return out;
}

}  // namespace dw
