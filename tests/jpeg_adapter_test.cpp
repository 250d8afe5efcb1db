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

std::vector<uint8_t> jpegFile(const std::string& name) { return test::readFile(test::testdata("jpeg/" + name)); }

// The binary PPM the IJG test pictures were made from.
Bitmap originalPicture()
{
    const std::vector<uint8_t> file = test::readFile(test::testdata("jpeg/libjpeg-turbo/testorig.ppm"));
    std::istringstream header(std::string(file.begin(), file.begin() + 20));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    EXPECT_EQ(magic, "P6");
    Bitmap picture(width, height);
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    std::copy(file.begin() + static_cast<std::ptrdiff_t>(start), file.end(), picture.rgb().begin());
    return picture;
}

int largestDifference(const Bitmap& a, const Bitmap& b)
{
    int largest = 0;
    for (size_t i = 0; i < a.rgb().size(); ++i)
        largest = std::max(largest, std::abs(a.rgb()[i] - b.rgb()[i]));
    return largest;
}

double meanDifference(const Bitmap& a, const Bitmap& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.rgb().size(); ++i)
        sum += std::abs(a.rgb()[i] - b.rgb()[i]);
    return sum / a.rgb().size();
}

TEST(JpegAdapter, BaselineProgressiveAndArithmeticCodingGiveTheOriginalPicture)
{
    const Bitmap original = originalPicture();
    const PictureLoad baseline = decodeJpeg(jpegFile("libjpeg-turbo/testorig.jpg"));
    ASSERT_TRUE(baseline.ok()) << baseline.error;
    ASSERT_EQ(baseline.bitmap.width(), 227);
    ASSERT_EQ(baseline.bitmap.height(), 149);
    EXPECT_LE(largestDifference(baseline.bitmap, original), 3);

    for (const char* name : {"testimgint.jpg", "testimgp.jpg", "testimgari.jpg"}) {
        const PictureLoad load = decodeJpeg(jpegFile(std::string("libjpeg-turbo/") + name));
        ASSERT_TRUE(load.ok()) << name << ": " << load.error;
        ASSERT_EQ(load.bitmap.width(), 227) << name;
        ASSERT_EQ(load.bitmap.height(), 149) << name;
        EXPECT_LT(meanDifference(load.bitmap, original), 1.0) << name;
    }
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
            ASSERT_EQ(load.bitmap.red(x, y), load.bitmap.green(x, y));
            ASSERT_EQ(load.bitmap.red(x, y), load.bitmap.blue(x, y));
            const int luminance =
                (original.red(x, y) * 299 + original.green(x, y) * 587 + original.blue(x, y) * 114) / 1000;
            sum += std::abs(load.bitmap.red(x, y) - luminance);
        }
    EXPECT_LT(sum / (original.width() * original.height()), 1.0);
}

// The same picture stored as Adobe (inverted) CMYK and as YCbCr.
TEST(JpegAdapter, AdobeCmykIsUninvertedIntoTheSameColours)
{
    const PictureLoad cmyk = decodeJpeg(jpegFile("pillow/pil_sample_cmyk.jpg"));
    const PictureLoad rgb = decodeJpeg(jpegFile("pillow/pil_sample_rgb.jpg"));
    ASSERT_TRUE(cmyk.ok()) << cmyk.error;
    ASSERT_TRUE(rgb.ok()) << rgb.error;
    ASSERT_EQ(cmyk.bitmap.width(), rgb.bitmap.width());
    ASSERT_EQ(cmyk.bitmap.height(), rgb.bitmap.height());
    EXPECT_LT(meanDifference(cmyk.bitmap, rgb.bitmap), 8.0);
}

TEST(JpegAdapter, PrematureEndIsOnlyAWarningButTwelveBitsAreRefused)
{
    const PictureLoad truncated = decodeJpeg(jpegFile("pillow/truncated_jpeg.jpg"));
    ASSERT_TRUE(truncated.ok()) << truncated.error;
    EXPECT_EQ(truncated.bitmap.width(), 100);
    EXPECT_EQ(truncated.bitmap.height(), 100);

    const PictureLoad twelve = decodeJpeg(jpegFile("libjpeg-turbo/testorig12.jpg"));
    EXPECT_FALSE(twelve.ok());
    EXPECT_TRUE(twelve.bitmap.empty());
    EXPECT_NE(twelve.error.find("12-bit"), std::string::npos) << twelve.error;
}

// Rewrites the size in the frame header (SOF0) of a real file.
std::vector<uint8_t> withClaimedSize(std::vector<uint8_t> file, int width, int height)
{
    for (size_t i = 0; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = static_cast<uint8_t>(height >> 8);
            file[i + 6] = static_cast<uint8_t>(height);
            file[i + 7] = static_cast<uint8_t>(width >> 8);
            file[i + 8] = static_cast<uint8_t>(width);
            return file;
        }
    }
    ADD_FAILURE() << "no SOF0 marker";
    return file;
}

TEST(JpegAdapter, HugeClaimedSizesAreRefusedBeforeDecoding)
{
    const std::vector<uint8_t> file = jpegFile("libjpeg-turbo/testorig.jpg");
    for (const auto& [width, height] : {std::pair{65000, 65000}, {16385, 8}, {16384, 4097}}) {
        const PictureLoad load = decodeJpeg(withClaimedSize(file, width, height));
        EXPECT_FALSE(load.ok());
        EXPECT_TRUE(load.bitmap.empty());
        EXPECT_NE(load.error.find(std::to_string(width) + "x" + std::to_string(height)), std::string::npos)
            << load.error;
    }
}

// libjpeg only warns about a scan that repeats an earlier one, so without a
// limit each repeat costs a full pass over the picture.
TEST(JpegAdapter, ProgressiveFileWithEndlessScansIsRefused)
{
    const std::vector<uint8_t> file = jpegFile("libjpeg-turbo/testimgp.jpg");
    const std::vector<uint8_t> startOfScan = {0xFF, 0xDA};
    const auto lastScan = std::find_end(file.begin(), file.end(), startOfScan.begin(), startOfScan.end());
    const auto endOfImage = file.end() - 2;
    std::vector<uint8_t> repeated(file.begin(), endOfImage);
    for (int i = 0; i < 600; ++i)
        repeated.insert(repeated.end(), lastScan, endOfImage);
    repeated.insert(repeated.end(), endOfImage, file.end());

    const PictureLoad load = decodeJpeg(repeated);
    EXPECT_FALSE(load.ok());
    EXPECT_NE(load.error.find("more than 500 scans"), std::string::npos) << load.error;
}

TEST(JpegAdapter, NonJpegBytesDamageAndTruncationGiveAnErrorOrASanePicture)
{
    EXPECT_FALSE(decodeJpeg({}).ok());
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'};
    const PictureLoad notJpeg = decodeJpeg(text);
    EXPECT_FALSE(notJpeg.ok());
    EXPECT_EQ(notJpeg.error.find('\n'), std::string::npos);

    const std::vector<uint8_t> file = jpegFile("libjpeg-turbo/testimgp.jpg");
    const auto expectSane = [](const PictureLoad& load, const std::string& what) {
        if (!load.ok()) {
            EXPECT_TRUE(load.bitmap.empty()) << what;
            EXPECT_FALSE(load.error.empty()) << what;
            return;
        }
        EXPECT_EQ(load.bitmap.rgb().size(), static_cast<size_t>(load.bitmap.width()) * load.bitmap.height() * 3)
            << what;
    };
    for (size_t length = 0; length < file.size(); length += 7)
        expectSane(decodeJpeg(std::span(file.data(), length)), "first " + std::to_string(length) + " bytes");
    for (size_t at = 0; at < file.size(); at += 5) {
        std::vector<uint8_t> damaged = file;
        damaged[at] ^= 0x5A;
        expectSane(decodeJpeg(damaged), "byte " + std::to_string(at));
    }
}

}  // namespace
}  // namespace dw
