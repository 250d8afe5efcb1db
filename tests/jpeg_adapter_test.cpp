
#include <cstdlib>
#include <sstream>

#include "readers/jpeg_adapter.h"
#include "support/test_support.h"

namespace dw {

using Bytes = std::vector<uint8_t>;

Bytes jpegFile(const std::string& name) { return test::readFile(test::testdata("jpeg/" + name)); }

// The binary PPM the IJG test pictures were made from.
Bitmap originalPicture()
{
    const Bytes file = jpegFile("libjpeg-turbo/testorig.ppm");
    std::istringstream header(std::string(file.begin(), file.begin() + 20));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    Bitmap picture(width, height);
    std::copy(file.begin() + static_cast<std::ptrdiff_t>(header.tellg()) + 1, file.end(), picture.rgb().begin());
    return picture;
}

// The largest and the mean difference of two same-sized pictures' channel bytes.
std::pair<int, double> differences(const Bitmap& a, const Bitmap& b)
{
    EXPECT_EQ(a.width() * 100000 + a.height(), b.width() * 100000 + b.height());
    int largest = 0;
    double sum = 0;
    for (size_t i = 0; i < std::min(a.rgb().size(), b.rgb().size()); ++i) {
        largest = std::max(largest, std::abs(a.rgb()[i] - b.rgb()[i]));
        sum += std::abs(a.rgb()[i] - b.rgb()[i]);
    }
    return {largest, sum / a.rgb().size()};
}

TEST(JpegAdapter, BaselineProgressiveArithmeticGreyAndCmykGiveTheOriginalPicture)
{
    const Bitmap original = originalPicture();
    for (const auto& [name, largest] : {std::pair{"testorig.jpg", 3}, {"testimgint.jpg", 255}, {"testimgp.jpg", 255},
                                        {"testimgari.jpg", 255}}) {
        const auto [most, mean] = differences(test::decodeData(std::string("jpeg/libjpeg-turbo/") + name).value(), original);
        EXPECT_TRUE(most <= largest && mean < 1.0) << name << ": " << most << ", " << mean;
    }

    // Grey fills all three channels with the luminance.
    Bitmap luminance = original;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x)
            luminance.setPixel(x, y, (original.red(x, y) * 299 + original.green(x, y) * 587 + original.blue(x, y) * 114) /
                                         1000 * 0x010101u);
    EXPECT_LT(differences(test::decodeData("jpeg/libjpeg-turbo/testimggray.jpg").value(), luminance).second, 1.0);

    // The same picture stored as Adobe (inverted) CMYK and as YCbCr.
    EXPECT_LT(differences(test::decodeData("jpeg/pillow/pil_sample_cmyk.jpg").value(),
                          test::decodeData("jpeg/pillow/pil_sample_rgb.jpg").value()).second, 8.0);

    // A premature end is only a warning: the rest is padded.
    EXPECT_EQ(test::decodeData("jpeg/pillow/truncated_jpeg.jpg").value().width(), 100);
}

// Rewrites the size in the frame header (SOF0) of a real file.
Bytes withClaimedSize(Bytes file, int width, int height)
{
    const Bytes sof0 = {0xFF, 0xC0};
    const auto at = std::search(file.begin(), file.end(), sof0.begin(), sof0.end());
    at[5] = static_cast<uint8_t>(height >> 8), at[6] = static_cast<uint8_t>(height);
    at[7] = static_cast<uint8_t>(width >> 8), at[8] = static_cast<uint8_t>(width);
    return file;
}

TEST(JpegAdapter, TwelveBitsHugeClaimedSizesAndEndlessScansAreRefused)
{
    EXPECT_NE(test::decodeData("jpeg/libjpeg-turbo/testorig12.jpg").error().find("12-bit"), std::string::npos);

    const Bytes file = jpegFile("libjpeg-turbo/testorig.jpg");
    for (const auto& [width, height] : {std::pair{65000, 65000}, {16385, 8}, {16384, 4097}}) {
        const std::string error = decodeJpeg(withClaimedSize(file, width, height)).error();
        EXPECT_NE(error.find(std::to_string(width) + "x" + std::to_string(height)), std::string::npos) << error;
    }

    // libjpeg only warns about a scan that repeats an earlier one, so without
    // a limit each repeat costs a full pass over the picture.
    const Bytes progressive = jpegFile("libjpeg-turbo/testimgp.jpg");
    const Bytes startOfScan = {0xFF, 0xDA};
    const auto lastScan = std::find_end(progressive.begin(), progressive.end(), startOfScan.begin(), startOfScan.end());
    const auto endOfImage = progressive.end() - 2;
    Bytes repeated(progressive.begin(), endOfImage);
    for (int i = 0; i < 600; ++i) repeated.insert(repeated.end(), lastScan, endOfImage);
    repeated.insert(repeated.end(), endOfImage, progressive.end());
    EXPECT_NE(decodeJpeg(repeated).error().find("more than 500 scans"), std::string::npos);

    // Fewer than 500 scans, but each passes over a million blocks.
    const Result<Bitmap> heavy = decodeJpeg(test::readFile(test::testdata("made/jpeg/scan_heavy_16384x4096.jpg")));
    EXPECT_NE(heavy.error().find("scans pass over more than 25165824 blocks"), std::string::npos) << heavy.error();
}

TEST(JpegAdapter, NonJpegBytesDamageAndTruncationGiveAnErrorOrASanePicture)
{
    EXPECT_FALSE(decodeJpeg(Bytes{'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'}).ok());
    test::expectDamagedCopiesSane("jpeg/libjpeg-turbo/testimgp.jpg", decodeJpeg, 13);
}

}  // namespace dw
