#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "readers/jpeg_adapter.h"
#include "support/test_support.h"

namespace dw {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes jpegFile(const std::string& name) { return test::readFile(test::testdata("jpeg/" + name)); }

// The binary PPM the IJG test pictures were made from.
Bitmap originalPicture()
{
    const Bytes file = test::readFile(test::testdata("jpeg/libjpeg-turbo/testorig.ppm"));
    std::istringstream header(std::string(file.begin(), file.begin() + 20));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    EXPECT_EQ(magic, "P6");
    Bitmap picture(width, height);
    std::copy(file.begin() + static_cast<std::ptrdiff_t>(header.tellg()) + 1, file.end(), picture.rgb().begin());
    return picture;
}

// The largest and the mean difference of two pictures' channel bytes.
std::pair<int, double> differences(const Bitmap& a, const Bitmap& b)
{
    int largest = 0;
    double sum = 0;
    for (size_t i = 0; i < a.rgb().size(); ++i) {
        largest = std::max(largest, std::abs(a.rgb()[i] - b.rgb()[i]));
        sum += std::abs(a.rgb()[i] - b.rgb()[i]);
    }
    return {largest, sum / a.rgb().size()};
}

TEST(JpegAdapter, BaselineProgressiveArithmeticAndCmykGiveTheOriginalPicture)
{
    const Bitmap original = originalPicture();
    const struct {
        const char* name;
        int largest;
        double mean;
    } cases[] = {
        {"testorig.jpg", 3, 1.0}, {"testimgint.jpg", 255, 1.0}, {"testimgp.jpg", 255, 1.0}, {"testimgari.jpg", 255, 1.0}};
    for (const auto& c : cases) {
        const PictureLoad load = decodeJpeg(jpegFile(std::string("libjpeg-turbo/") + c.name));
        ASSERT_TRUE(load.ok()) << c.name << ": " << load.error;
        ASSERT_EQ(std::make_pair(load.bitmap.width(), load.bitmap.height()), std::make_pair(227, 149)) << c.name;
        const auto [largest, mean] = differences(load.bitmap, original);
        EXPECT_LE(largest, c.largest) << c.name;
        EXPECT_LT(mean, c.mean) << c.name;
    }

    // The same picture stored as Adobe (inverted) CMYK and as YCbCr.
    const PictureLoad cmyk = decodeJpeg(jpegFile("pillow/pil_sample_cmyk.jpg"));
    const PictureLoad rgb = decodeJpeg(jpegFile("pillow/pil_sample_rgb.jpg"));
    ASSERT_TRUE(cmyk.ok() && rgb.ok()) << cmyk.error << rgb.error;
    ASSERT_EQ(std::make_pair(cmyk.bitmap.width(), cmyk.bitmap.height()),
              std::make_pair(rgb.bitmap.width(), rgb.bitmap.height()));
    EXPECT_LT(differences(cmyk.bitmap, rgb.bitmap).second, 8.0);
}

TEST(JpegAdapter, GreyPicturesFillAllThreeChannelsWithTheLuminance)
{
    const PictureLoad load = decodeJpeg(jpegFile("libjpeg-turbo/testimggray.jpg"));
    ASSERT_TRUE(load.ok()) << load.error;
    const Bitmap original = originalPicture();
    ASSERT_EQ(load.bitmap.width(), original.width());
    double sum = 0;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) {
            ASSERT_EQ(load.bitmap.pixel(x, y), load.bitmap.red(x, y) * 0x010101u) << x << "," << y;
            const int luminance =
                (original.red(x, y) * 299 + original.green(x, y) * 587 + original.blue(x, y) * 114) / 1000;
            sum += std::abs(load.bitmap.red(x, y) - luminance);
        }
    EXPECT_LT(sum / (original.width() * original.height()), 1.0);
}

// Rewrites the size in the frame header (SOF0) of a real file.
Bytes withClaimedSize(Bytes file, int width, int height)
{
    const Bytes sof0 = {0xFF, 0xC0};
    const auto at = std::search(file.begin(), file.end(), sof0.begin(), sof0.end());
    if (file.end() - at < 9) {
        ADD_FAILURE() << "no SOF0 marker";
        return file;
    }
    at[5] = static_cast<uint8_t>(height >> 8);
    at[6] = static_cast<uint8_t>(height);
    at[7] = static_cast<uint8_t>(width >> 8);
    at[8] = static_cast<uint8_t>(width);
    return file;
}

TEST(JpegAdapter, TwelveBitsHugeClaimedSizesAndEndlessScansAreRefused)
{
    const PictureLoad twelve = decodeJpeg(jpegFile("libjpeg-turbo/testorig12.jpg"));
    EXPECT_TRUE(twelve.bitmap.empty());
    EXPECT_NE(twelve.error.find("12-bit"), std::string::npos) << twelve.error;

    const Bytes file = jpegFile("libjpeg-turbo/testorig.jpg");
    for (const auto& [width, height] : {std::pair{65000, 65000}, {16385, 8}, {16384, 4097}}) {
        const PictureLoad load = decodeJpeg(withClaimedSize(file, width, height));
        EXPECT_TRUE(load.bitmap.empty());
        EXPECT_NE(load.error.find(std::to_string(width) + "x" + std::to_string(height)), std::string::npos)
            << load.error;
    }

    // libjpeg only warns about a scan that repeats an earlier one, so without
    // a limit each repeat costs a full pass over the picture.
    const Bytes progressive = jpegFile("libjpeg-turbo/testimgp.jpg");
    const Bytes startOfScan = {0xFF, 0xDA};
    const auto lastScan = std::find_end(progressive.begin(), progressive.end(), startOfScan.begin(), startOfScan.end());
    const auto endOfImage = progressive.end() - 2;
    Bytes repeated(progressive.begin(), endOfImage);
    for (int i = 0; i < 600; ++i)
        repeated.insert(repeated.end(), lastScan, endOfImage);
    repeated.insert(repeated.end(), endOfImage, progressive.end());
    EXPECT_NE(decodeJpeg(repeated).error.find("more than 500 scans"), std::string::npos);
}

TEST(JpegAdapter, PrematureEndIsOnlyAWarning)
{
    const PictureLoad truncated = decodeJpeg(jpegFile("pillow/truncated_jpeg.jpg"));
    ASSERT_TRUE(truncated.ok()) << truncated.error;
    EXPECT_EQ(std::make_pair(truncated.bitmap.width(), truncated.bitmap.height()), std::make_pair(100, 100));
}

TEST(JpegAdapter, NonJpegBytesDamageAndTruncationGiveAnErrorOrASanePicture)
{
    const auto expectSane = [](const PictureLoad& load, const std::string& what) {
        EXPECT_TRUE(load.ok() || (load.bitmap.empty() && load.error.find('\n') == std::string::npos)) << what;
        EXPECT_EQ(load.bitmap.rgb().size(), size_t(load.bitmap.width()) * load.bitmap.height() * 3) << what;
    };
    EXPECT_FALSE(decodeJpeg({}).ok());
    const Bytes text = {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'};
    EXPECT_FALSE(decodeJpeg(text).ok());
    expectSane(decodeJpeg(text), "text");

    const Bytes file = jpegFile("libjpeg-turbo/testimgp.jpg");
    for (size_t length = 0; length < file.size(); length += 7)
        expectSane(decodeJpeg(std::span(file.data(), length)), "first " + std::to_string(length) + " bytes");
    for (size_t at = 0; at < file.size(); at += 5) {
        Bytes damaged = file;
        damaged[at] ^= 0x5A;
        expectSane(decodeJpeg(damaged), "byte " + std::to_string(at));
    }
}

}  // namespace
}  // namespace dw
