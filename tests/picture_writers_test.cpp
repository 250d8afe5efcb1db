#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "readers/bmp_reader.h"
#include "readers/bmp_writer.h"
#include "readers/png_reader.h"
#include "readers/png_writer.h"

namespace dw {
namespace {

// Every pixel different, so a swapped channel, row or column shows.
Bitmap patterned(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y, static_cast<uint32_t>(x * 37 + 1) | (static_cast<uint32_t>(y * 53 + 2) << 8) |
                                      (static_cast<uint32_t>((x + y) * 11 + 3) << 16));
    return bitmap;
}

const std::vector<std::pair<int, int>> awkwardSizes = {{1, 1}, {7, 3}, {8, 1}, {9, 5}, {1, 4}, {256, 192}};

TEST(BmpWriter, OnePixelFileIsTheTextbookLayout)
{
    Bitmap bitmap(1, 1);
    bitmap.setPixel(0, 0, 0x302010);  // red 0x10, green 0x20, blue 0x30
    const std::vector<uint8_t> expected = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size 58, pixels at 54
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,             // header size, width 1, height 1 (bottom-up)
        1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,             // planes, 24 bits, uncompressed, 4 pixel bytes
        0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,              // 2835 pixels per metre each way
        0, 0, 0, 0, 0, 0, 0, 0,                          // no palette
        0x30, 0x20, 0x10, 0,                             // blue, green, red, one padding byte
    };
    EXPECT_EQ(encodeBmp24(bitmap), expected);
}

TEST(BmpWriter, RowsArePaddedWithZerosAndReadBackUnchanged)
{
    for (const auto& [width, height] : awkwardSizes) {
        const Bitmap bitmap = patterned(width, height);
        const std::vector<uint8_t> file = encodeBmp24(bitmap);
        const size_t stride = (width * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + stride * height) << width << "x" << height;
        for (int row = 0; row < height; ++row)
            for (size_t pad = width * 3; pad < stride; ++pad)
                EXPECT_EQ(file[54 + row * stride + pad], 0) << width << "x" << height;
        // The first stored row is the bottom one.
        EXPECT_EQ(file[54], bitmap.blue(0, height - 1));

        const PictureLoad load = decodeBmp(file);
        ASSERT_TRUE(load.ok()) << load.error;
        EXPECT_TRUE(load.bitmap == bitmap) << width << "x" << height;
    }
}

uint32_t bigEndian32(const std::vector<uint8_t>& bytes, size_t at)
{
    return (static_cast<uint32_t>(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
    bool crcMatches;
};

std::vector<Chunk> chunksOf(const std::vector<uint8_t>& file)
{
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = bigEndian32(file, at);
        Chunk chunk;
        chunk.type.assign(file.begin() + at + 4, file.begin() + at + 8);
        chunk.data.assign(file.begin() + at + 8, file.begin() + at + 8 + length);
        const uLong crc = crc32(0, file.data() + at + 4, 4 + length);
        chunk.crcMatches = crc == bigEndian32(file, at + 8 + length);
        chunks.push_back(chunk);
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size());
    return chunks;
}

TEST(PngWriter, FileHasSignatureRgbHeaderCorrectCrcsAndUnfilteredRows)
{
    const Bitmap bitmap = patterned(3, 2);
    const std::vector<uint8_t> file = encodePng(bitmap);
    const std::vector<uint8_t> signature = {137, 80, 78, 71, 13, 10, 26, 10};
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));

    const std::vector<Chunk> chunks = chunksOf(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[0].data, (std::vector<uint8_t>{0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0}));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());
    for (const Chunk& chunk : chunks)
        EXPECT_TRUE(chunk.crcMatches) << chunk.type;

    std::vector<uint8_t> raw(2 * (1 + 3 * 3));
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, chunks[1].data.data(), chunks[1].data.size()), Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(raw[y * 10], 0) << "filter type of row " << y;
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(raw[y * 10 + 1 + 3 * x], bitmap.red(x, y));
            EXPECT_EQ(raw[y * 10 + 2 + 3 * x], bitmap.green(x, y));
            EXPECT_EQ(raw[y * 10 + 3 + 3 * x], bitmap.blue(x, y));
        }
    }
}

TEST(PngWriter, PicturesOfAwkwardSizesReadBackUnchanged)
{
    for (const auto& [width, height] : awkwardSizes) {
        const Bitmap bitmap = patterned(width, height);
        const PictureLoad load = decodePng(encodePng(bitmap));
        ASSERT_TRUE(load.ok()) << load.error;
        EXPECT_TRUE(load.bitmap == bitmap) << width << "x" << height;
    }
}

}  // namespace
}  // namespace dw
