// The R-Mode converter: the colour set of a cell, the layer intensities
// with and without noise, the mix, the model and grey previews, and the
// screen encoding with its kernel.

#include "modes/conv_rmode.h"
#include "modes/rmode_solids.h"
#include "support/parts.h"
#include "zxfiles/layouts.h"

namespace dw {

using Bytes = std::array<uint8_t, 4>;
using Levels = std::array<int, 4>;

constexpr uint32_t grey(int v) { return static_cast<uint32_t>(v) * 65793u; }

struct ConvRModeTest : ::testing::Test {
    test::Parts p;
    void convert() { convRMode(p.conversion()); }
    Levels intensities(int x, int y) const { return {p.rmAux1[y][x], p.rmAux2[y][x], p.rmAux3[y][x], p.rmAux4[y][x]}; }
    Bytes colourBytes(int cx, int cy) const
    {
        Bytes bytes{};
        for (int k = 0; k < 4; ++k) bytes[k] = p.rmExtra[k][32 * cy + cx];
        return bytes;
    }
};

// Each solid's own projection leaves out only arithmetic its 0/1 colours
// make pointless, so it must give projectcolor's numbers for any pixel.
TEST(RModeSolids, EachSolidProjectsAsProjectcolorDoes)
{
    const auto vectorOf = [](int colour) { return Triple{{double(colour & 1), double((colour >> 2) & 1), double((colour >> 1) & 1)}}; };
    const int values[] = {-20, 0, 1, 37, 128, 200, 255, 300};
    for (const double kcolerr : {0.0, 0.5, -0.5, 3.0})
        for (const int b : values)
            for (const int g : values)
                for (const int r : values) {
                    const rmode::SolidTarget target = rmode::solidTarget(b, g, r, kcolerr);
                    const int v[3] = {b, g, r};
                    Triple X;
                    for (int i = 0; i < 3; ++i) X[i] = static_cast<double>(static_cast<long double>(v[i]) * 1.5L / 255.0L);
                    for (int k = 0; k < rmode::solidCount; ++k) {
                        const rmode::Solid& s = rmode::solids[k];
                        const Projection want = projectcolor(X, s.whiteOn ? Triple{{-1, -1, -1}} : Triple{}, vectorOf(s.A), vectorOf(s.B), vectorOf(s.C), kcolerr);
                        Projection got;
                        rmode::projectOnSolid(k, target, kcolerr, got);
                        ASSERT_TRUE(got.inside == want.inside && got.err == want.err && got.a == want.a && got.b == want.b && got.c == want.c)
                            << "solid " << k + 1 << " pixel " << b << "," << g << "," << r << " kcolerr " << kcolerr;
                    }
                }
}

TEST_F(ConvRModeTest, SqrtScaleIsSixteenTimesTheRootRoundedAndCapped)
{
    const std::pair<double, int> cases[] = {
        {0.5, 0}, {0.51, 11} /* 11.43 */, {63, 127} /* 126.997 */, {251, 253} /* 253.49 */, {1011, 255} /* capped */};
    for (const auto& [value, scaled] : cases) EXPECT_EQ(sqrtScale(value), scaled) << value;
}

// Every set sums to 0 and set 0 wins; no layer is lit anywhere.
TEST_F(ConvRModeTest, BlackPictureGivesSetZeroEverywhereAndAnAllZeroBitmap)
{
    p.fill(0, 0, 0);
    convert();

    std::vector<uint8_t> expected(12288, 0);
    for (uint8_t colour : {67, 69, 70, 71}) expected.insert(expected.end(), 768, colour);
    EXPECT_EQ(rModeFile(p.scr1, p.scr2, p.rmExtra), expected);
    for (const Bitmap* preview : {&p.zxBitmap, &p.modelBitmap, &p.layer1Bitmap, &p.layer2Bitmap})
        EXPECT_EQ(*preview, Bitmap(screenWidth, screenHeight));
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) ASSERT_EQ(intensities(x, y), (Levels{0, 0, 0, 0}));
    // The slots of the last row encoded (191, odd) with the default palette:
    // none, magenta, cyan, both.
    EXPECT_EQ((std::array{p.cellColB, p.cellColG, p.cellColR}),
              (std::array<std::array<int32_t, 4>, 3>{{{0, 126, 126, 252}, {0, 0, 126, 126}, {0, 126, 0, 126}}}));
}

// Red ties sets 1, 2 and 6 (0.25 per pixel) and set 1 wins; every pixel
// takes S8 with only the red layer (layer 2) lit. The mix is red 127. Odd
// rows then match the red slot (126) and even rows the yellow one, whose
// green error -126 spreads as -63 right, -31 below and -15 to both lower
// corners, while the red error of +1 spreads nothing. The model shows
// 63 * 255 / 64 = 251 on odd rows as 253, red only.
TEST_F(ConvRModeTest, RedPictureLightsTheRedLayerAndEncodesRedAndYellowRows)
{
    p.settings.rModeNoise = false;
    p.fill(0, 0, 255);
    convert();
    for (int cy = 0; cy < 24; ++cy)
        for (int cx = 0; cx < 32; ++cx) ASSERT_EQ(colourBytes(cx, cy), (Bytes{67, 66, 70, 71}));
    for (int y = 0; y < screenHeight; ++y) {
        const bool odd = y & 1;
        for (int x = 0; x < screenWidth; ++x) {
            const int green = odd ? (x == 0 || x == 255 ? -46 : -61) : (x == 0 ? 0 : -63);
            ASSERT_TRUE(intensities(x, y) == (Levels{0, 255, 0, 0}) && p.workR[y][x] == 127 && p.workB[y][x] == 0 &&
                        p.workG[y][x] == (y == 0 && x > 0 ? -63 : green)) << x << "," << y;
            ASSERT_TRUE(p.modelBitmap.pixel(x, y) == (odd ? packColour({0, 0, 253}) : 0u) && p.layer1Bitmap.pixel(x, y) == 0 &&
                        p.layer2Bitmap.pixel(x, y) == (odd ? grey(255) : 0u) &&
                        p.zxBitmap.pixel(x, y) == packColour({0, odd ? 0 : 126, 126})) << x << "," << y;
        }
        for (int c = 32 * y; c < 32 * y + 32; ++c) ASSERT_TRUE(p.scr1[c] == (odd ? 0 : 255) && p.scr2[c] == (odd ? 255 : 0)) << y;
    }

    // With noise the first three layers are cut to 128.
    p.settings.rModeNoise = true;
    p.fill(0, 0, 255);
    convert();
    EXPECT_TRUE(intensities(0, 0) == (Levels{0, 128, 0, 0}) && intensities(255, 191) == (Levels{0, 128, 0, 0}));
}

// White: set 0 alone has zero error; S4 contains it with a = b = c = 0.25,
// so layer 4 is 255 and layers 1..3 tobyte(0.25) = 64. An even row's grey
// second layer (502) carries 246: +123 to its own first layer and to both
// layers of the odd row below.
TEST_F(ConvRModeTest, WhitePictureFillsTheWhiteLayerAndCarriesItsGreyExcessDown)
{
    p.fill(255, 255, 255);
    convert();
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const bool odd = y & 1;
            ASSERT_EQ(intensities(x, y), (Levels{64, 64, 64, 255})) << x << "," << y;
            ASSERT_EQ(p.layer1Bitmap.pixel(x, y), grey(126 + 123)) << x << "," << y;
            ASSERT_EQ(p.layer2Bitmap.pixel(x, y), grey(odd ? 126 + 123 : 255)) << x << "," << y;
            // Even rows: yellow 64 + white 255; odd rows: magenta 64 + cyan 64.
            ASSERT_EQ(p.modelBitmap.pixel(x, y), odd ? packColour({180, 127, 127}) : packColour({253, 255, 255}));
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
        p.fill(119, 51, 153);  // (0.7, 0.3, 0.9) after * 1.5 / 255
        p.settings.rModeNoise = noise;
        convert();
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
            for (int x = 0; x < 8; ++x) p.set(x, y, 17, 34, 153);  // white 0.1, red 0.7, yellow 0.1
        p.set(0, 0, 17, 153, 51);   // S9: white 0.1, yellow 0.2, green 0.6
        p.set(1, 0, 17, 119, 153);  // S8: white 0.1, red 0.2, yellow 0.6
        p.settings.rModeNoise = noise;
        convert();
        EXPECT_EQ(colourBytes(0, 0), (Bytes{68, 66, 70, 71}));
        EXPECT_EQ(intensities(5, 5), noise ? (Levels{0, 128, 26, 77}) : (Levels{0, 179, 26, 26}));
        EXPECT_EQ(intensities(1, 0), noise ? (Levels{0, 51, 128, 51}) : (Levels{0, 51, 153, 26}));
    }
}

// Palette entries of 127 make slots above 255: the match uses them as they
// are, the preview shows each component held at 255 instead of carrying
// into the next one. With level 0 the mix of white (191) matches as 255.
TEST_F(ConvRModeTest, SlotsAbove255AreMatchedAsTheyAreAndShownHeldAt255)
{
    p.levelZero();
    for (int colour : {3, 6}) p.palB[colour] = 127, p.palG[colour] = 0, p.palR[colour] = 64;
    for (int colour : {5, 7}) p.palB[colour] = 0, p.palG[colour] = 127, p.palR[colour] = 64;
    p.fill(255, 255, 255);
    convert();
    // Slots: first (254, 0, 128), second (0, 254, 128), both (254, 254, 256).
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) ASSERT_EQ(p.zxBitmap.pixel(x, y), packColour({254, 254, 255}));
    EXPECT_TRUE(p.cellColR[3] == 256 && p.scr1[0] == 255 && p.scr2[6143] == 255);
}

}  // namespace dw
