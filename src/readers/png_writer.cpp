#include "readers/png_writer.h"

#include <stdexcept>
#include <string_view>

#include <zlib.h>

namespace dw {

namespace {

void appendBigEndian32(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

// Length, type, data and the CRC-32 over type and data.
void appendChunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data)
{
    appendBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32_z(crc, out.data() + typeStart, out.size() - typeStart);
    appendBigEndian32(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> headerData(const Bitmap& bitmap)
{
    std::vector<uint8_t> data;
    appendBigEndian32(data, static_cast<uint32_t>(bitmap.width()));
    appendBigEndian32(data, static_cast<uint32_t>(bitmap.height()));
    data.push_back(8);  // bits per sample
    data.push_back(2);  // colour type: RGB
    data.push_back(0);  // deflate
    data.push_back(0);  // adaptive filtering
    data.push_back(0);  // no interlace
    return data;
}

// Every row with filter type 0 (None) in front of its RGB bytes.
std::vector<uint8_t> filteredRows(const Bitmap& bitmap)
{
    const size_t rowBytes = static_cast<size_t>(bitmap.width()) * 3;
    std::vector<uint8_t> rows;
    rows.reserve((rowBytes + 1) * bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y) {
        rows.push_back(0);
        const auto start = bitmap.rgb().begin() + static_cast<std::ptrdiff_t>(rowBytes * y);
        rows.insert(rows.end(), start, start + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return rows;
}

std::vector<uint8_t> deflated(const std::vector<uint8_t>& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress the picture");
    packed.resize(size);
    return packed;
}

}  // namespace

std::vector<uint8_t> encodePng(const Bitmap& bitmap)
{
    static constexpr uint8_t signature[] = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<uint8_t> out(std::begin(signature), std::end(signature));
    appendChunk(out, "IHDR", headerData(bitmap));
    appendChunk(out, "IDAT", deflated(filteredRows(bitmap)));
    appendChunk(out, "IEND", {});
    return out;
}

}  // namespace dw
