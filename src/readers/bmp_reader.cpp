#include "readers/bmp_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <vector>

// Windows and OS/2 bitmaps. Decisions for damaged or unusual files:
// - Uncompressed pixel data shorter than the picture needs is refused; only
//   the padding after the last row may be missing.
// - Run-length data may leave pixels out (delta and early end-of-line or
//   end-of-bitmap marks, or data that simply stops): those pixels are black.
//   Runs and deltas reaching past the picture are clipped to it.
// - Palette indices beyond the palette are black; alpha is ignored.

namespace dw {

namespace {

enum Compression : uint32_t {
    biRgb = 0,
    biRle8 = 1,
    biRle4 = 2,
    biBitfields = 3,
    biJpeg = 4,
    biPng = 5,
    biAlphaBitfields = 6,
};

constexpr size_t fileHeaderBytes = 14;
constexpr uint32_t coreHeaderBytes = 12;  // OS/2 1.x
constexpr uint32_t infoHeaderBytes = 40;  // Windows 3
constexpr size_t maxPaletteEntries = 256;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

class Bytes {
public:
    explicit Bytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t size() const { return bytes_.size(); }
    bool has(size_t at, size_t count) const { return at <= bytes_.size() && count <= bytes_.size() - at; }
    uint8_t u8(size_t at) const { return bytes_[at]; }
    uint32_t u16(size_t at) const { return bytes_[at] | (bytes_[at + 1] << 8); }
    uint32_t u32(size_t at) const { return u16(at) | (u16(at + 2) << 16); }
    int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }

private:
    std::span<const uint8_t> bytes_;
};

struct Header {
    uint32_t infoSize = 0;
    long long width = 0;
    long long height = 0;  // always positive; topDown says the row order
    bool topDown = false;
    uint32_t planes = 1;
    uint32_t bitsPerPixel = 0;
    uint32_t compression = biRgb;
    uint32_t coloursUsed = 0;
    std::array<uint32_t, 3> masks{};  // red, green, blue
    size_t paletteStart = 0;
    size_t paletteEntryBytes = 4;
    size_t pixelOffset = 0;
};

bool isOs2Version2(uint32_t infoSize)
{
    return infoSize >= 16 && infoSize <= 64 && infoSize != 40 && infoSize != 52 && infoSize != 56;
}

bool knownHeaderSize(uint32_t infoSize)
{
    return infoSize == coreHeaderBytes || isOs2Version2(infoSize) || infoSize == 40 || infoSize == 52 ||
           infoSize == 56 || infoSize == 108 || infoSize == 124;
}

std::string sizeText(long long width, long long height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// The file and info headers, or why they are not a BMP header.
Result<Header> readHeader(const Bytes& in)
{
    Header header;
    if (!in.has(0, fileHeaderBytes + 4) || in.u8(0) != 'B' || in.u8(1) != 'M')
        return Failure{"not a BMP file: it does not start with \"BM\" and a header"};
    header.pixelOffset = in.u32(10);
    header.infoSize = in.u32(14);
    if (!knownHeaderSize(header.infoSize))
        return Failure{"the BMP header size " + std::to_string(header.infoSize) + " belongs to no known BMP version"};
    if (!in.has(fileHeaderBytes, header.infoSize))
        return Failure{"the BMP file ends inside its " + std::to_string(header.infoSize) + "-byte header"};

    const size_t info = fileHeaderBytes;
    if (header.infoSize == coreHeaderBytes) {
        header.width = in.u16(info + 4);
        header.height = in.u16(info + 6);
        header.planes = in.u16(info + 8);
        header.bitsPerPixel = in.u16(info + 10);
        header.paletteEntryBytes = 3;
    } else {
        header.width = in.i32(info + 4);
        header.height = in.i32(info + 8);
        header.planes = in.u16(info + 12);
        header.bitsPerPixel = in.u16(info + 14);
        if (header.infoSize >= 20)
            header.compression = in.u32(info + 16);
        if (header.infoSize >= 36)
            header.coloursUsed = in.u32(info + 32);
    }
    if (header.height < 0) {
        header.topDown = true;
        header.height = -header.height;
    }

    header.paletteStart = info + header.infoSize;
    const bool bitfields = header.compression == biBitfields || header.compression == biAlphaBitfields;
    if (bitfields && !isOs2Version2(header.infoSize)) {
        size_t masksAt = info + infoHeaderBytes;
        if (header.infoSize == infoHeaderBytes)
            header.paletteStart += header.compression == biAlphaBitfields ? 16 : 12;
        if (!in.has(masksAt, 12))
            return Failure{"the BMP file ends inside its colour masks"};
        for (size_t i = 0; i < 3; ++i)
            header.masks[i] = in.u32(masksAt + 4 * i);
    }
    return header;
}

Status checkHeader(const Header& header)
{
    if (header.width <= 0 || header.height == 0)
        return Failure{"the BMP picture claims a size of " + sizeText(header.width, header.height) + " pixels"};
    if (header.width > maxPictureSide || header.height > maxPictureSide ||
        header.width * header.height > maxPicturePixels)
        return Failure{"the BMP picture of " + sizeText(header.width, header.height) +
               " pixels is larger than the limit of " + std::to_string(maxPictureSide) + " pixels a side and " +
               std::to_string(maxPicturePixels / (1024 * 1024)) + " megapixels"};
    if (header.planes != 1)
        return Failure{"the BMP picture claims " + std::to_string(header.planes) + " colour planes instead of 1"};

    const uint32_t bits = header.bitsPerPixel;
    const std::string bitsText = std::to_string(bits) + " bits per pixel";
    if (isOs2Version2(header.infoSize) && header.compression == 3)
        return Failure{"OS/2 Huffman-compressed BMP pictures are not supported"};
    if (isOs2Version2(header.infoSize) && header.compression == 4)
        return Failure{"OS/2 RLE24-compressed BMP pictures are not supported"};
    switch (header.compression) {
    case biRgb:
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return Failure{"BMP pictures of " + bitsText + " are not supported"};
        return {};
    case biRle8:
    case biRle4:
        if (bits != (header.compression == biRle8 ? 8u : 4u))
            return Failure{"a run-length compressed BMP picture cannot have " + bitsText};
        if (header.topDown)
            return Failure{"a run-length compressed BMP picture cannot be stored top-down"};
        return {};
    case biBitfields:
    case biAlphaBitfields:
        if (bits != 16 && bits != 32)
            return Failure{"a BMP picture with colour masks cannot have " + bitsText};
        return {};
    case biJpeg:
    case biPng:
        return Failure{"BMP files holding an embedded JPEG or PNG picture are not supported"};
    default:
        return Failure{"the BMP compression method " + std::to_string(header.compression) + " is unknown"};
    }
}

std::vector<Rgb> readPalette(const Bytes& in, const Header& header)
{
    if (header.bitsPerPixel > 8)
        return {};
    size_t count = size_t{1} << header.bitsPerPixel;
    if (header.infoSize != coreHeaderBytes && header.coloursUsed != 0)
        count = header.coloursUsed;
    count = std::min(count, maxPaletteEntries);
    size_t end = in.size();
    if (header.pixelOffset >= header.paletteStart)
        end = std::min(end, header.pixelOffset);

    std::vector<Rgb> palette;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = header.paletteStart + i * header.paletteEntryBytes;
        if (at + 3 > end)
            break;
        palette.push_back({in.u8(at + 2), in.u8(at + 1), in.u8(at)});
    }
    return palette;
}

// One channel out of a packed pixel, scaled from its mask's range to 0..255.
uint8_t maskedChannel(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t top = mask >> shift;
    const uint64_t part = (value & mask) >> shift;
    return static_cast<uint8_t>((part * 255 + top / 2) / top);
}

class Canvas {
public:
    Canvas(Bitmap& bitmap, const std::vector<Rgb>& palette) : bitmap_(bitmap), palette_(palette) {}

    void set(long long x, long long y, Rgb colour)
    {
        uint8_t* p = bitmap_.rgb().data() + (static_cast<size_t>(y) * bitmap_.width() + x) * 3;
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
    }
    void setIndex(long long x, long long y, uint32_t index)
    {
        set(x, y, index < palette_.size() ? palette_[index] : Rgb{});
    }

private:
    Bitmap& bitmap_;
    const std::vector<Rgb>& palette_;
};

uint64_t strideOf(const Header& header) { return (header.width * header.bitsPerPixel + 31) / 32 * 4; }

// Checked before the bitmap is allocated, so a short file claiming a large
// picture costs nothing.
Status checkPixelDataLength(const Bytes& in, const Header& header)
{
    const uint64_t rowBytes = (header.width * header.bitsPerPixel + 7) / 8;
    const uint64_t needed = strideOf(header) * (header.height - 1) + rowBytes;
    const uint64_t held = header.pixelOffset < in.size() ? in.size() - header.pixelOffset : 0;
    if (held < needed)
        return Failure{"the BMP pixel data is truncated: the " + sizeText(header.width, header.height) +
               " picture needs " + std::to_string(needed) + " bytes but the file holds " + std::to_string(held)};
    return {};
}

void decodeUncompressed(const Bytes& in, const Header& header, Canvas& canvas)
{
    const uint64_t bits = header.bitsPerPixel;
    const uint64_t stride = strideOf(header);
    std::array<uint32_t, 3> masks = header.masks;
    const bool bitfields = header.compression != biRgb;
    if (!bitfields && bits == 16)
        masks = {0x7C00, 0x03E0, 0x001F};
    if (!bitfields && bits == 32)
        masks = {0xFF0000, 0x00FF00, 0x0000FF};

    for (long long row = 0; row < header.height; ++row) {
        const size_t start = header.pixelOffset + static_cast<size_t>(stride * row);
        const long long y = header.topDown ? row : header.height - 1 - row;
        for (long long x = 0; x < header.width; ++x) {
            if (bits <= 8) {
                const uint64_t bit = x * bits;
                const uint32_t byte = in.u8(start + bit / 8);
                const uint32_t index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                canvas.setIndex(x, y, index);
            } else if (bits == 24) {
                const size_t at = start + x * 3;
                canvas.set(x, y, {in.u8(at + 2), in.u8(at + 1), in.u8(at)});
            } else {
                const uint32_t value = bits == 16 ? in.u16(start + x * 2) : in.u32(start + x * 4);
                canvas.set(x, y, {maskedChannel(value, masks[0]), maskedChannel(value, masks[1]),
                                  maskedChannel(value, masks[2])});
            }
        }
    }
}

// RLE8 and RLE4. Pixels are placed bottom row first; anything aimed outside
// the picture is dropped.
void decodeRunLength(const Bytes& in, const Header& header, Canvas& canvas)
{
    const bool fourBit = header.compression == biRle4;
    long long x = 0;
    long long row = 0;
    const auto put = [&](uint32_t index) {
        if (x < header.width)
            canvas.setIndex(x, header.height - 1 - row, index);
        x = std::min(x + 1, header.width);
    };

    size_t at = header.pixelOffset;
    while (row < header.height && in.has(at, 2)) {
        const uint32_t count = in.u8(at);
        const uint32_t value = in.u8(at + 1);
        at += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i)
                put(fourBit ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (!in.has(at, 2))
                return;
            x = std::min(x + in.u8(at), header.width);
            row += in.u8(at + 1);
            at += 2;
        } else {
            const size_t dataBytes = fourBit ? (value + 1) / 2 : value;
            for (uint32_t i = 0; i < value; ++i) {
                const size_t byteAt = at + (fourBit ? i / 2 : i);
                if (!in.has(byteAt, 1))
                    return;
                const uint32_t byte = in.u8(byteAt);
                put(fourBit ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
            }
            at += (dataBytes + 1) / 2 * 2;
        }
    }
}

}  // namespace

Result<Bitmap> decodeBmp(std::span<const uint8_t> bytes)
{
    const Bytes in(bytes);
    const Result<Header> read = readHeader(in);
    if (!read)
        return Failure{read.error()};
    const Header& header = *read;
    if (Status checked = checkHeader(header); !checked)
        return Failure{checked.error()};

    const bool runLength = header.compression == biRle8 || header.compression == biRle4;
    if (!runLength)
        if (Status checked = checkPixelDataLength(in, header); !checked)
            return Failure{checked.error()};
    const std::vector<Rgb> palette = readPalette(in, header);
    Bitmap bitmap(static_cast<int>(header.width), static_cast<int>(header.height));
    Canvas canvas(bitmap, palette);
    if (runLength)
        decodeRunLength(in, header, canvas);
    else
        decodeUncompressed(in, header, canvas);
    return bitmap;
}

}  // namespace dw
