#include "readers/tga_reader.h"

#include <algorithm>
#include <cstring>

namespace dw {

namespace {

constexpr size_t headerBytes = 18;
constexpr size_t footerBytes = 26;
constexpr size_t extensionAreaBytes = 495;
constexpr char footerSignature[] = "TRUEVISION-XFILE.";  // with its NUL: 18 bytes

constexpr bool topDown(int descriptor) { return (descriptor & 32) != 0; }
constexpr bool rightToLeft(int descriptor) { return (descriptor & 16) != 0; }

uint16_t littleEndian16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t littleEndian32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A 15- or 16-bit value: five bits a channel, each scaled by 8; bit 15 unused.
Colour fiveBitColour(uint16_t w)
{
    return Colour{(w & 31) * 8, ((w >> 5) & 31) * 8, ((w >> 10) & 31) * 8};
}

// Text of a fixed-size field up to its first NUL, in printable ASCII.
std::string fieldText(std::span<const uint8_t> field)
{
    std::string text;
    for (uint8_t c : field) {
        if (c == 0)
            break;
        text += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    }
    return text;
}

// Walks the picture in the order the file stores its pixels: rows top-down
// or bottom-up, each left to right or right to left.
class StoredOrder {
public:
    StoredOrder(int width, int height, int descriptor)
        : width_(static_cast<size_t>(width)),
          rowStep_(topDown(descriptor) ? width : -static_cast<ptrdiff_t>(width)),
          rowStart_(topDown(descriptor) ? 0 : static_cast<ptrdiff_t>(height - 1) * width),
          rightToLeft_(rightToLeft(descriptor))
    {
    }

    // Row-major index of the current pixel in the top-down, left-to-right picture.
    size_t index() const { return static_cast<size_t>(rowStart_) + (rightToLeft_ ? width_ - 1 - column_ : column_); }
    void next()
    {
        if (++column_ < width_) return;
        column_ = 0;
        rowStart_ += rowStep_;
    }

private:
    size_t width_;
    ptrdiff_t rowStep_, rowStart_;
    bool rightToLeft_;
    size_t column_ = 0;
};

bool depthAllowed(int imageType, int depth)
{
    switch (imageType & 7) {
    case 1: return depth == 8 || depth == 15 || depth == 16;                 // colour-mapped
    case 2: return depth == 15 || depth == 16 || depth == 24 || depth == 32;  // true colour
    case 3: return depth == 8 || depth == 16;                                // grey, grey + alpha
    default: return false;
    }
}

}  // namespace

Status TTga::loadFromBytes(std::span<const uint8_t> bytes)
{
    *this = TTga();
    if (bytes.size() < headerBytes)
        return fail("the TGA file is too short to hold its header");
    const uint8_t* b = bytes.data();
    header_ = Header{b[0], b[1], b[2], littleEndian16(b + 3), littleEndian16(b + 5), b[7],
                     littleEndian16(b + 12), littleEndian16(b + 14), b[16], b[17]};
    note("header: image type " + std::to_string(header_.imageType) + ", " + std::to_string(header_.width) +
                    "x" + std::to_string(header_.height) + ", depth " + std::to_string(header_.depth) +
                    ", descriptor " + std::to_string(header_.descriptor) + ", colour map type " +
                    std::to_string(header_.mapType) + " (" + std::to_string(header_.mapLength) + " entries of " +
                    std::to_string(header_.mapEntryBits) + " bits from index " + std::to_string(header_.mapFirst) +
                    "), origin " + std::to_string(littleEndian16(b + 8)) + "," + std::to_string(littleEndian16(b + 10)));
    if (Status checked = checkHeader(header_); !checked)
        return checked;

    width_ = header_.width;
    height_ = header_.height;
    format_ = header_.depth == 8 ? Format::indexed8 : header_.depth == 32 ? Format::bgra32 : Format::bgr24;

    size_t at = std::min(bytes.size(), headerBytes + header_.idLength);
    if (header_.idLength > 0)
        note("image ID: " + fieldText(bytes.subspan(headerBytes, at - headerBytes)));
    at = readColourMap(bytes, at);
    if ((header_.imageType & 7) == 3) {
        for (int i = 0; i < 256; ++i)
            palette_[i] = Colour{i, i, i};
    } else {
        std::copy_n(colourMap_.begin(), std::min<size_t>(colourMap_.size(), palette_.size()), palette_.begin());
    }

    pixels_ = PictureBytes(static_cast<size_t>(width_) * height_ * bytesPerPixel());
    readPixels(bytes, at, header_.imageType >= 9);
    if (!complete())
        note("the file ends after " + std::to_string(pixelsRead_) + " pixels; the rest stay black");
    readExtensionArea(bytes);
    return {};
}

// Refuses what cannot be shown rightly: unknown or compressed-by-other-means
// image types, depths that do not fit the type, mapped pictures without a
// map, and sizes beyond the limits.
Status TTga::checkHeader(const Header& h)
{
    const bool knownType = (h.imageType >= 1 && h.imageType <= 3) || (h.imageType >= 9 && h.imageType <= 11);
    if (!knownType)
        return fail("TGA image type " + std::to_string(h.imageType) + " is not supported");
    if (h.width == 0 || h.height == 0)
        return fail("the TGA picture has zero width or height");
    if (h.width > maxPictureSide || h.height > maxPictureSide ||
        static_cast<long long>(h.width) * h.height > maxPicturePixels)
        return fail("the picture's " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                    " pixels exceed the limit of " + std::to_string(maxPictureSide) + " pixels a side and " +
                    std::to_string(maxPicturePixels) + " pixels in all");
    if (!depthAllowed(h.imageType, h.depth))
        return fail("TGA pixel depth " + std::to_string(h.depth) + " is not supported for image type " +
                    std::to_string(h.imageType));
    if ((h.imageType & 7) == 1 && h.mapType != 1)
        return fail("the colour-mapped TGA picture has no colour map");
    return {};
}

// Reads the colour map starting at `at` when the header announces one;
// returns where the pixels start.
size_t TTga::readColourMap(std::span<const uint8_t> bytes, size_t at)
{
    if (header_.mapType != 1)
        return at;
    const size_t entryBytes = (static_cast<size_t>(header_.mapEntryBits) + 1) / 8;
    colourMap_.assign(header_.mapLength, Colour{});
    for (int i = 0; i < header_.mapLength; ++i) {
        if (bytes.size() - at < entryBytes) {
            note("the colour map is cut short after " + std::to_string(i) + " entries");
            return bytes.size();
        }
        const uint8_t* e = &bytes[at];
        if (entryBytes >= 3)
            colourMap_[i] = Colour{e[0], e[1], e[2]};
        else if (entryBytes == 2)
            colourMap_[i] = fiveBitColour(littleEndian16(e));
        else if (entryBytes == 1)
            colourMap_[i] = Colour{e[0], e[0], e[0]};
        at += entryBytes;
    }
    return at;
}

// Reads stored pixels from `at` in file order until the picture is full or
// the bytes run out. Run-length packets may run on into the next row but
// never past the last pixel.
void TTga::readPixels(std::span<const uint8_t> bytes, size_t at, bool runLength)
{
    const size_t total = static_cast<size_t>(width_) * height_;
    const size_t valueBytes = (static_cast<size_t>(header_.depth) + 7) / 8;
    const size_t bpp = bytesPerPixel();
    const auto haveValue = [&] { return bytes.size() - at >= valueBytes; };
    StoredOrder order(width_, height_, header_.descriptor);
    size_t i = 0;
    while (i < total) {
        size_t count = 1;
        bool repeat = false;
        if (runLength) {
            if (at >= bytes.size())
                break;
            const int packet = bytes[at++];
            count = std::min<size_t>((packet & 127) + 1, total - i);
            repeat = (packet & 128) != 0;
        }
        if (repeat) {
            if (!haveValue())
                break;
            // The run's value is converted once, then copied.
            const uint8_t* converted = &pixels_[order.index() * bpp];
            storePixel(order.index(), &bytes[at]);
            for (size_t k = 1; k < count; ++k) {
                order.next();
                std::memcpy(&pixels_[order.index() * bpp], converted, bpp);
            }
            order.next();
            i += count;
            at += valueBytes;
            continue;
        }
        for (size_t k = 0; k < count && haveValue(); ++k, ++i, at += valueBytes, order.next())
            storePixel(order.index(), &bytes[at]);
        if (!haveValue() && i < total)
            break;
    }
    pixelsRead_ = i;
}

void TTga::storePixel(size_t pixelIndex, const uint8_t* value)
{
    uint8_t* out = &pixels_[pixelIndex * bytesPerPixel()];
    const auto put = [out](const Colour& c) {
        out[0] = static_cast<uint8_t>(c.b);
        out[1] = static_cast<uint8_t>(c.g);
        out[2] = static_cast<uint8_t>(c.r);
    };
    const int kind = header_.imageType & 7;
    switch (header_.depth) {
    case 8: out[0] = value[0]; break;
    case 15:
    case 16:
        if (kind == 3) {  // grey, then alpha
            put(Colour{value[0], value[0], value[0]});
        } else if (kind == 1) {  // a 16-bit index into the colour map
            const uint16_t index = littleEndian16(value);
            put(index < colourMap_.size() ? colourMap_[index] : Colour{});
        } else {
            put(fiveBitColour(littleEndian16(value)));
        }
        break;
    case 24: std::memcpy(out, value, 3); break;
    case 32: std::memcpy(out, value, 4); break;
    }
}

size_t TTga::storedIndexOf(int x, int y) const
{
    const size_t storedRow = topDown(header_.descriptor) ? y : height_ - 1 - y;
    const size_t storedColumn = rightToLeft(header_.descriptor) ? width_ - 1 - x : x;
    return storedRow * width_ + storedColumn;
}

bool TTga::pixelDecoded(int x, int y) const
{
    return storedIndexOf(x, y) < pixelsRead_;
}

// The TGA 2.0 footer and extension area: for the information lines only.
void TTga::readExtensionArea(std::span<const uint8_t> bytes)
{
    const size_t size = bytes.size();
    if (size < headerBytes + footerBytes ||
        std::memcmp(&bytes[size - sizeof footerSignature], footerSignature, sizeof footerSignature) != 0)
        return;
    const size_t offset = littleEndian32(&bytes[size - footerBytes]);
    if (offset == 0 || offset > size || size - offset < extensionAreaBytes ||
        littleEndian16(&bytes[offset]) < extensionAreaBytes)
        return;
    const std::span<const uint8_t> area = bytes.subspan(offset, extensionAreaBytes);
    const auto word = [&](size_t at) { return std::to_string(littleEndian16(&area[at])); };
    note("author: " + fieldText(area.subspan(2, 41)));
    note("date: " + word(371) + "-" + word(367) + "-" + word(369) + " " + word(373) + ":" + word(375) +
                    ":" + word(377));
    note("job: " + fieldText(area.subspan(379, 41)));
    note("software: " + fieldText(area.subspan(426, 41)));
    const size_t thumbnail = littleEndian32(&area[486]);
    if (thumbnail != 0 && thumbnail < size - 1)
        note("thumbnail: " + std::to_string(bytes[thumbnail]) + "x" + std::to_string(bytes[thumbnail + 1]));
}

Bitmap TTga::toBitmap() const
{
    Bitmap bitmap(width_, height_);
    // Only the pixels that were read: whole stored rows, then the start of
    // the next one; the rest stays black.
    const size_t width = static_cast<size_t>(width_), height = static_cast<size_t>(height_);
    const size_t rowsRead = pixelsRead_ / width, restRead = pixelsRead_ % width;
    for (size_t row = 0; row <= rowsRead && row < height; ++row) {
        const size_t y = topDown(header_.descriptor) ? row : height - 1 - row;
        const size_t count = row < rowsRead ? width : restRead;
        const size_t x = rightToLeft(header_.descriptor) ? width - count : 0;
        copyPixels(y * width + x, count, 1, bitmap.rgb());
    }
    return bitmap;
}

Result<Bitmap> decodeTga(std::span<const uint8_t> bytes)
{
    TTga tga;
    if (Status loaded = tga.loadFromBytes(bytes); !loaded)
        return Failure{loaded.error()};
    return tga.toBitmap();
}

}  // namespace dw
