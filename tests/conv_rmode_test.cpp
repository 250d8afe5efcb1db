// The R-Mode converter and its run: the colour set of a cell, the layer
// intensities with and without noise, the mix, the model and grey previews,
// the screen encoding with its kernel, and the ".rm" file with the two layer
// pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>

#include "colour/colour.h"
#include "modes/conv_rmode.h"
#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

using Bytes = std::array<uint8_t, 4>;
using Levels = std::array<int, 4>;

constexpr uint32_t grey(int v) { return static_cast<uint32_t>(v) * 65793u; }

class ConvRModeTest : public ::testing::Test {
protected:
    TForm1& form() { return *harness.form; }

    void setPixel(int x, int y, int b, int g, int r)
    {
        form().workB[y][x] = b, form().workG[y][x] = g, form().workR[y][x] = r;
    }

    Levels intensities(int x, int y)
    {
        return {form().rmAux1[y][x], form().rmAux2[y][x], form().rmAux3[y][x], form().rmAux4[y][x]};
    }

    Bytes colourBytes(int cx, int cy)
    {
        Bytes bytes{};
        for (int k = 0; k < 4; ++k) bytes[k] = form().rmExtra[k][32 * cy + cx];
        return bytes;
    }

    test::ScratchDir dir;
    test::Harness harness;
};

TEST_F(ConvRModeTest, SqrtScaleIsSixteenTimesTheRootRoundedAndCapped)
{
    const std::pair<double, int> cases[] = {
        {0.5, 0}, {0.51, 11} /* 11.43 */, {63, 127} /* 126.997 */, {251, 253} /* 253.49 */, {1011, 255} /* capped */};
    for (const auto& [value, scaled] : cases) EXPECT_EQ(sqrtScale(value), scaled) << value;
}

// Every set sums to 0 and set 0 wins; no layer is lit anywhere.
TEST_F(ConvRModeTest, BlackPictureGivesSetZeroEverywhereAndAnAllZeroBitmap)
{
    test::fillWork(form(), 0, 0, 0);
    convRMode(form().conversion(form().modeSettings()));

    std::vector<uint8_t> expected(12288, 0);
    for (uint8_t colour : {67, 69, 70, 71}) expected.insert(expected.end(), 768, colour);
    EXPECT_EQ(rModeFile(form().scr1, form().scr2, form().rmExtra), expected);
    for (const Bitmap* preview : {&form().zxBitmap, &form().modelBitmap, &form().layer1Bitmap, &form().layer2Bitmap})
        EXPECT_EQ(*preview, Bitmap(screenWidth, screenHeight));
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) ASSERT_EQ(intensities(x, y), (Levels{0, 0, 0, 0}));
    // The slots of the last row encoded (191, odd) with the default palette:
    // none, magenta, cyan, both.
    EXPECT_EQ(form().cellColB, (std::array<int32_t, 4>{0, 126, 126, 252}));
    EXPECT_EQ(form().cellColG, (std::array<int32_t, 4>{0, 0, 126, 126}));
    EXPECT_EQ(form().cellColR, (std::array<int32_t, 4>{0, 126, 0, 126}));
}

// Red ties sets 1, 2 and 6 (0.25 per pixel) and set 1 wins; every pixel
// takes S8 with only the red layer (layer 2) lit. The mix is red 127. Odd
// rows then match the red slot (126) and even rows the yellow one, whose
// green error -126 spreads as -63 right, -31 below and -15 to both lower
// corners, while the red error of +1 spreads nothing.
TEST_F(ConvRModeTest, RedPictureLightsTheRedLayerAndEncodesRedAndYellowRows)
{
    form().cbRModeNoise.checked = false;
    test::fillWork(form(), 0, 0, 255);
    convRMode(form().conversion(form().modeSettings()));

    for (int cy = 0; cy < 24; ++cy)
        for (int cx = 0; cx < 32; ++cx) ASSERT_EQ(colourBytes(cx, cy), (Bytes{67, 66, 70, 71}));
    for (int y = 0; y < screenHeight; ++y) {
        for (int x = 0; x < screenWidth; ++x) {
            ASSERT_EQ(intensities(x, y), (Levels{0, 255, 0, 0})) << x << "," << y;
            ASSERT_EQ(form().workR[y][x], 127) << x << "," << y;
            const bool odd = y & 1;
            const int green = odd ? (x == 0 || x == 255 ? -46 : -61) : (x == 0 ? 0 : -63);
            ASSERT_EQ(form().workG[y][x], y == 0 && x > 0 ? -63 : green) << x << "," << y;
            ASSERT_EQ(form().workB[y][x], 0);
            // Model: 63 * 255 / 64 = 251 on odd rows shows as 253, red only.
            ASSERT_EQ(form().modelBitmap.pixel(x, y), odd ? packColour({0, 0, 253}) : 0u);
            ASSERT_EQ(form().layer1Bitmap.pixel(x, y), 0u);
            ASSERT_EQ(form().layer2Bitmap.pixel(x, y), odd ? grey(255) : 0u);
            ASSERT_EQ(form().zxBitmap.pixel(x, y), odd ? packColour({0, 0, 126}) : packColour({0, 126, 126}));
        }
        for (int c = 0; c < 32; ++c) {
            ASSERT_EQ(form().scr1[32 * y + c], (y & 1) ? 0 : 255) << "row " << y;
            ASSERT_EQ(form().scr2[32 * y + c], (y & 1) ? 255 : 0) << "row " << y;
        }
    }

    // With noise the first three layers are cut to 128.
    form().cbRModeNoise.checked = true;
    test::fillWork(form(), 0, 0, 255);
    convRMode(form().conversion(form().modeSettings()));
    EXPECT_EQ(intensities(0, 0), (Levels{0, 128, 0, 0}));
    EXPECT_EQ(intensities(255, 191), (Levels{0, 128, 0, 0}));
}

// White: set 0 alone has zero error; S4 contains it with a = b = c = 0.25,
// so layer 4 is 255 and layers 1..3 tobyte(0.25) = 64. An even row's grey
// second layer (502) carries 246: +123 to its own first layer and to both
// layers of the odd row below.
TEST_F(ConvRModeTest, WhitePictureFillsTheWhiteLayerAndCarriesItsGreyExcessDown)
{
    test::fillWork(form(), 255, 255, 255);
    convRMode(form().conversion(form().modeSettings()));
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const bool odd = y & 1;
            ASSERT_EQ(intensities(x, y), (Levels{64, 64, 64, 255})) << x << "," << y;
            ASSERT_EQ(form().layer1Bitmap.pixel(x, y), grey(126 + 123)) << x << "," << y;
            ASSERT_EQ(form().layer2Bitmap.pixel(x, y), grey(odd ? 126 + 123 : 255)) << x << "," << y;
            // Even rows: yellow 64 + white 255; odd rows: magenta 64 + cyan 64.
            ASSERT_EQ(form().modelBitmap.pixel(x, y), odd ? packColour({180, 127, 127}) : packColour({253, 255, 255}));
        }
    EXPECT_EQ(colourBytes(31, 23), (Bytes{67, 69, 70, 71}));
}

// Magenta-heavy pixel of S1 (white 0.1, magenta 0.6, yellow 0.2): with
// noise the magenta above 0.4 goes to white, yellow and the cyan layer.
TEST_F(ConvRModeTest, NoiseMovesMagentaAbovePointFourOfSolidOneToTheOtherLayers)
{
    // Magenta, cyan, yellow, white; with noise d = 0.2: white 0.3, yellow 0.4,
    // magenta 0.4, cyan tobyte(0.2).
    for (bool noise : {false, true}) {
        test::fillWork(form(), 119, 51, 153);  // (0.7, 0.3, 0.9) after * 1.5 / 255
        form().cbRModeNoise.checked = noise;
        convRMode(form().conversion(form().modeSettings()));
        EXPECT_EQ(colourBytes(0, 0), (Bytes{67, 69, 70, 71}));
        EXPECT_EQ(intensities(3, 3), noise ? (Levels{102, 51, 102, 77}) : (Levels{153, 0, 51, 26}));
    }
}

// In a cell of S8 pixels (inside sets 1 and 2) one S9 pixel makes set 1 dear,
// so set 2 wins. With noise, red above 0.5 and yellow above 0.5 each raise
// the white layer by their excess.
TEST_F(ConvRModeTest, NoiseRaisesWhiteBySolidEightsRedAndYellowExcessInSetTwo)
{
    // Green, red, yellow, white; with noise white gains 0.2 at (5, 5), 0.1 at (1, 0).
    for (bool noise : {false, true}) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) setPixel(x, y, 17, 34, 153);  // white 0.1, red 0.7, yellow 0.1
        setPixel(0, 0, 17, 153, 51);   // S9: white 0.1, yellow 0.2, green 0.6
        setPixel(1, 0, 17, 119, 153);  // S8: white 0.1, red 0.2, yellow 0.6
        form().cbRModeNoise.checked = noise;
        convRMode(form().conversion(form().modeSettings()));
        EXPECT_EQ(colourBytes(0, 0), (Bytes{68, 66, 70, 71}));
        EXPECT_EQ(intensities(5, 5), noise ? (Levels{0, 128, 26, 77}) : (Levels{0, 179, 26, 26}));
        EXPECT_EQ(intensities(1, 0), noise ? (Levels{0, 51, 128, 51}) : (Levels{0, 51, 153, 26}));
    }
}

// Properties of any picture: colour bytes 65..71 with block 3 white, and
// each pixel of the screen preview the slot its two bits select from the
// cell's layer colours for that row.
TEST_F(ConvRModeTest, PreviewShowsTheSlotOfEachPixelsBitsForAnyPicture)
{
    std::mt19937 random(11);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) setPixel(x, y, random() % 256, random() % 256, random() % 256);
    form().kcolerr = 0.3;
    convRMode(form().conversion(form().modeSettings()));

    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const Bytes bytes = colourBytes(x / 8, y / 8);
            ASSERT_EQ(bytes[3], 71);
            for (uint8_t b : bytes) ASSERT_TRUE(b >= 65 && b <= 71);
            const int first = (y & 1) ? bytes[0] & 7 : bytes[2] & 7, second = (y & 1) ? bytes[1] & 7 : 7;
            const uint8_t mask = pixelMask(x);
            const int on1 = (form().scr1[linePixelOffset(x, y)] & mask) ? 1 : 0;
            const int on2 = (form().scr2[linePixelOffset(x, y)] & mask) ? 1 : 0;
            auto component = [&](const std::array<int32_t, 16>& pal) {
                return 2 * ((on1 ? pal[first] : pal[0]) + (on2 ? pal[second] : pal[0]));
            };
            ASSERT_EQ(form().zxBitmap.pixel(x, y),
                      packColour({component(form().palB), component(form().palG), component(form().palR)}))
                << x << "," << y;
        }
}

// Palette entries of 127 make slots above 255: the match uses them as they
// are, the preview shows each component held at 255 instead of carrying
// into the next one. With level 0 the mix of white (191) matches as 255.
TEST_F(ConvRModeTest, SlotsAbove255AreMatchedAsTheyAreAndShownHeldAt255)
{
    form().setText(form().edDithLevel, "0");
    for (int colour : {3, 6}) form().palB[colour] = 127, form().palG[colour] = 0, form().palR[colour] = 64;
    for (int colour : {5, 7}) form().palB[colour] = 0, form().palG[colour] = 127, form().palR[colour] = 64;
    test::fillWork(form(), 255, 255, 255);
    convRMode(form().conversion(form().modeSettings()));
    // Slots: first (254, 0, 128), second (0, 254, 128), both (254, 254, 256).
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) ASSERT_EQ(form().zxBitmap.pixel(x, y), packColour({254, 254, 255}));
    EXPECT_EQ(form().cellColR[3], 256);
    EXPECT_EQ(form().scr1[0], 255);
    EXPECT_EQ(form().scr2[6143], 255);
}

// With no picture chosen the preparation gives white: layer 1 is grey 249
// (126 + 123) everywhere, layer 2 on odd rows; the bitmaps are stored
// bottom-up. A layer picture that cannot be written is reported, and the
// screen and the other layer are still written.
TEST_F(ConvRModeTest, RunWritesDotRmAndBothLayerPicturesAsBmp)
{
    form().btConvRModeClick();
    const std::vector<uint8_t> file = test::readFile(dir.path() / "noname.rm");
    ASSERT_EQ(file.size(), rModeFileSize);
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 768; ++i) ASSERT_EQ(file[12288 + 768 * k + i], (Bytes{67, 69, 70, 71})[k]);
    EXPECT_EQ(form().imTo.picture, form().zxBitmap);
    EXPECT_EQ(form().imToTmp.picture, form().modelBitmap);
    EXPECT_EQ(form().ImToTmpGrey.picture, form().layer1Bitmap);
    EXPECT_EQ(form().ImToTmpGrey2.picture, form().layer2Bitmap);
    EXPECT_EQ(form().origR[100][100], 255);
    EXPECT_TRUE(form().Memo1.lines.back().ends_with(" sec"));

    const int rowBytes = 256 * 3;
    for (int layer : {1, 2}) {
        const std::vector<uint8_t> bmp = test::readFile(dir.path() / ("layer" + std::to_string(layer) + ".bmp"));
        ASSERT_EQ(bmp.size(), 54u + rowBytes * 192) << layer;
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[28], 24);
        for (int y = 0; y < screenHeight; ++y) {
            const size_t row = 54 + static_cast<size_t>(191 - y) * rowBytes;
            for (int i = 0; i < rowBytes; ++i)
                ASSERT_EQ(bmp[row + i], layer == 2 && y % 2 == 0 ? 255 : 249) << layer << " row " << y;
        }
    }

    for (const char* name : {"noname.rm", "layer1.bmp", "layer2.bmp"}) std::filesystem::remove(dir.path() / name);
    std::filesystem::create_directory(dir.path() / "layer1.bmp");
    form().btConvRModeClick();
    EXPECT_TRUE(std::ranges::any_of(form().Memo1.lines, [](const std::string& line) {
        return line.starts_with("cannot write layer1.bmp");
    }));
    EXPECT_EQ(test::readFile(dir.path() / "noname.rm").size(), rModeFileSize);
    EXPECT_EQ(test::readFile(dir.path() / "layer2.bmp").size(), 54u + rowBytes * 192);
}

}  // namespace
}  // namespace dw
