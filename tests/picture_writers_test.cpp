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

using Bytes = std::vector<uint8_t>;

// Every pixel different, so a swapped channel, row or column shows.
Bitmap patterned(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y, uint32_t(x * 37 + 1) | uint32_t(y * 53 + 2) << 8 | uint32_t((x + y) * 11 + 3) << 16);
    return bitmap;
}

TEST(BmpWriter, OnePixelFileIsTheTextbookLayout)
{
    Bitmap bitmap(1, 1);
    bitmap.setPixel(0, 0, 0x302010);  // red 0x10, green 0x20, blue 0x30
    const Bytes expected = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size 58, pixels at 54
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,             // header size, width 1, height 1 (bottom-up)
        1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,             // planes, 24 bits, uncompressed, 4 pixel bytes
        0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,              // 2835 pixels per metre each way
        0, 0, 0, 0, 0, 0, 0, 0,                          // no palette
        0x30, 0x20, 0x10, 0,                             // blue, green, red, one padding byte
    };
    EXPECT_EQ(encodeBmp24(bitmap), expected);
}

uint32_t bigEndian32(const Bytes& bytes, size_t at)
{
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

TEST(PngWriter, FileHasSignatureRgbHeaderOneImageChunkOfUnfilteredRowsAndSoundChecksums)
{
    const Bitmap bitmap = patterned(3, 2);
    const Bytes file = encodePng(bitmap);
    const Bytes head = {137, 80, 78, 71, 13, 10, 26, 10,                      // signature
                        0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 3, 0, 0, 0, 2,  // 3x2
                        8, 2, 0, 0, 0};                                       // 8-bit RGB, not interlaced
    const Bytes end = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    ASSERT_GT(file.size(), 33 + 12 + end.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin()));
    EXPECT_TRUE(std::equal(end.begin(), end.end(), file.end() - 12));

    const uint32_t length = bigEndian32(file, 33);
    ASSERT_EQ(33 + 12 + length + end.size(), file.size());
    EXPECT_EQ(std::string(file.begin() + 37, file.begin() + 41), "IDAT");
    for (const auto& [at, size] : {std::pair<size_t, uint32_t>{8, 13}, {33, length}})
        EXPECT_EQ(bigEndian32(file, at + 8 + size), crc32(0, file.data() + at + 4, 4 + size)) << "chunk at " << at;

    Bytes expectedRows;
    for (int y = 0; y < 2; ++y) {
        expectedRows.push_back(0);  // filter None
        for (int x = 0; x < 3; ++x)
            expectedRows.insert(expectedRows.end(), {bitmap.red(x, y), bitmap.green(x, y), bitmap.blue(x, y)});
    }
    Bytes rows(expectedRows.size() + 1);
    uLongf rowsSize = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &rowsSize, file.data() + 41, length), Z_OK);
    rows.resize(rowsSize);
    EXPECT_EQ(rows, expectedRows);
}

TEST(PictureWriters, PicturesOfAwkwardSizesReadBackUnchangedAndBmpRowsArePaddedWithZeros)
{
    for (const auto& [width, height] : {std::pair{1, 1}, {7, 3}, {8, 1}, {9, 5}, {1, 4}, {256, 192}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const Bitmap bitmap = patterned(width, height);
        const PictureLoad png = decodePng(encodePng(bitmap));
        ASSERT_TRUE(png.ok()) << png.error;
        EXPECT_TRUE(png.bitmap == bitmap);

        const Bytes file = encodeBmp24(bitmap);
        const PictureLoad bmp = decodeBmp(file);
        ASSERT_TRUE(bmp.ok()) << bmp.error;
        EXPECT_TRUE(bmp.bitmap == bitmap);
        const size_t stride = (width * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + stride * height);
        EXPECT_EQ(file[54], bitmap.blue(0, height - 1));  // the first stored row is the bottom one
        for (int row = 0; row < height; ++row)
            for (size_t pad = width * 3; pad < stride; ++pad)
                EXPECT_EQ(file[54 + row * stride + pad], 0) << "row " << row;
    }
}

}  // namespace
}  // namespace dw
