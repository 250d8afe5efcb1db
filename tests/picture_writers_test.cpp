

#include "support/test_support.h"
#include "readers/bmp_reader.h"
#include "readers/bmp_writer.h"
#include "readers/png_reader.h"
#include "readers/png_writer.h"

namespace dw {

using Bytes = std::vector<uint8_t>;

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

// Every pixel different, so a swapped channel, row or column shows; the PNG
// reader notes any chunk checksum that does not match.
TEST(PictureWriters, AwkwardSizesReadBackUnchangedWithSoundChecksumsAndZeroPadding)
{
    for (const auto& [width, height] : {std::pair{1, 1}, {7, 3}, {8, 1}, {9, 5}, {1, 4}, {256, 192}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        Bitmap bitmap(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap.setPixel(x, y, uint32_t(x * 37 + 1) | uint32_t(y * 53 + 2) << 8 | uint32_t((x + y) * 11 + 3) << 16);
        TPNG png;
        const Status loaded = png.loadFromBytes(encodePng(bitmap));
        ASSERT_TRUE(loaded) << loaded.error();
        EXPECT_EQ(png.info().size(), 1u) << png.info().back();  // the header line only
        EXPECT_TRUE(png.toBitmap() == bitmap);

        const Bytes file = encodeBmp24(bitmap);
        EXPECT_TRUE(decodeBmp(file).value() == bitmap);
        const size_t stride = (width * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + stride * height);
        for (int row = 0; row < height; ++row)
            for (size_t pad = width * 3; pad < stride; ++pad) EXPECT_EQ(file[54 + row * stride + pad], 0) << "row " << row;
    }
}

}  // namespace dw
