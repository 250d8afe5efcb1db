// The picture preparation: decoding on a new name, sampling the framing
// rectangle, and the tone steps, checked on small pictures whose prepared
// pixels are worked out by hand.

#include "base/colour.h"
#include "core/form.h"
#include "readers/png_writer.h"
#include "support/test_support.h"

namespace dw {

Bitmap makePicture(int width, int height, const std::function<Colour(int, int)>& colourAt)
{
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.setPixel(x, y, packColour(colourAt(x, y)));
    return picture;
}

Bitmap solid(Colour colour) { return makePicture(4, 3, [=](int, int) { return colour; }); }

const Colour white{255, 255, 255};

struct Preparation : ::testing::Test {
    test::ScratchDir dir;
    test::Harness h;
    TForm1& f = *h.form;

    // Writes `picture` as PNG bytes under `name` and opens it through the dialog.
    void open(const std::string& name, const Bitmap& picture)
    {
        test::writeFile(name, encodePng(picture));
        h.dialogs.picture = name;
        f.btOpenClick();
    }
    Colour prepared(int x, int y) const { return {f.workB[y][x], f.workG[y][x], f.workR[y][x]}; }
    void expectPrepared(std::initializer_list<std::tuple<int, int, Colour>> spots) const
    {
        for (const auto& [x, y, colour] : spots) EXPECT_EQ(prepared(x, y), colour) << x << "," << y;
    }
    // Contrast 1, brightness 0 and saturation 1 make the tone steps the identity.
    void neutralTone() { f.setText(f.edContrast, "1"); }
};

// A 4x3 picture opened with the 3:4 lock frames 4x3, so screen pixel (x, y)
// samples source pixel (x / 64, y / 64).
TEST_F(Preparation, DefaultToneCurveKeepsMidGreyAndRaisesHighlights)
{
    const int levels[4] = {0, 128, 200, 255};
    open("tones.png", makePicture(4, 3, [&](int x, int) { return Colour{levels[x], levels[3 - x], 128}; }));
    const int expected[4] = {0, 128, 218, 255};
    for (int x = 0; x < 256; x += 17)
        for (int y = 0; y < 192; y += 13)
            EXPECT_EQ(prepared(x, y), (Colour{expected[x / 64], expected[3 - x / 64], 128})) << x << "," << y;
}

// One-colour pictures with contrast 1: brightness adds 256 * b, saturation
// mixes with the truncated luminance 0.15 B + 0.55 G + 0.3 R, and both clamp.
TEST_F(Preparation, BrightnessAndSaturationTruncateAndClamp)
{
    const struct {
        const char* edit;
        const char* text;
        Colour in, out;
    } cases[] = {
        {"brightness", "0.5", {0, 100, 127}, {128, 228, 255}},
        {"saturation", "0", {10, 20, 30}, {21, 21, 21}},  // 1.5 + 11 + 9 = 21.5
        {"saturation", "0", {255, 0, 0}, {38, 38, 38}},   // 38.25
        {"saturation", "2", {10, 20, 230}, {0, 0, 255}},  // L = 81.5: blue below 0, red above 255
    };
    neutralTone();
    for (const auto& c : cases) {
        f.setText(f.edBrightness, "0"), f.setText(f.edColor, "1");
        open(std::to_string(&c - cases) + ".png", solid(c.in));
        f.setText(c.edit[0] == 'b' ? f.edBrightness : f.edColor, c.text);
        SCOPED_TRACE(std::string(c.edit) + " " + c.text);
        expectPrepared({{0, 0, c.out}, {255, 191, c.out}});
    }
}

// The preview shown beside the picture holds the prepared planes packed.
TEST_F(Preparation, DoubleSizeCropSamplesEverySecondPixel)
{
    auto colourAt = [](int x, int y) { return Colour{(x >> 8) + 2 * (y >> 8), y & 255, x & 255}; };
    open("big.png", makePicture(512, 384, colourAt));
    neutralTone();
    EXPECT_EQ(f.edWidth.text + "x" + f.edHeight.text, "512x384");
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(prepared(x, y), colourAt(2 * x, 2 * y)) << x << "," << y;
            ASSERT_EQ(f.normBitmap.pixel(x, y), packColour(colourAt(2 * x, 2 * y))) << x << "," << y;
        }
    EXPECT_EQ(f.imFrom.picture, f.normBitmap);
}

// Positions are truncated toward zero: with the rectangle moved one pixel
// left, the first column falls outside (white) and the next 127 columns all
// land on source column 0; negative sizes sample mirrored.
TEST_F(Preparation, SamplesOutsideThePictureReadWhiteAndNegativeFramingMirrors)
{
    open("o.png", makePicture(4, 3, [](int x, int y) { return Colour{x, y, 7}; }));
    neutralTone();
    f.setText(f.edXmin, "-1");
    expectPrepared({{0, 0, white}, {1, 0, {0, 0, 7}}, {128, 0, {1, 0, 7}}, {255, 191, {2, 2, 7}}});
    f.setText(f.edXmin, "2");
    expectPrepared({{128, 0, white}});
    f.setText(f.edYmin, "1e300");
    expectPrepared({{0, 0, white}});

    // Negative framing samples mirrored: u = trunc(4 - x/64), so x = 0 reads
    // column 4, outside; then 3, 2, 1, 0.
    f.Image1MouseDown(MouseButton::left, 4, 3);
    f.Image1MouseDown(MouseButton::right, 0, 0);
    EXPECT_EQ(f.edWidth.text + "x" + f.edHeight.text, "-4x-3");
    expectPrepared({{0, 100, white}, {64, 64, {3, 2, 7}}, {65, 65, {2, 1, 7}}, {255, 191, {0, 0, 7}}});
}

// The same name chosen again is not decoded and keeps its framing.
TEST_F(Preparation, SamePictureIsNotDecodedAgainAndADecodeErrorIsReportedOnce)
{
    open("good.png", makePicture(8, 6, [](int, int) { return Colour{}; }));
    f.setText(f.edXmin, "2");
    const size_t opened = f.Memo1.lines.size();
    test::writeFile("good.png", encodePng(solid({})));
    f.btOpenClick();
    EXPECT_EQ(f.Memo1.lines.size(), opened);
    EXPECT_TRUE(f.srcBitmap.width() == 8 && f.cropX == 2);

    test::writeFile("bad.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    h.dialogs.picture = "bad.png";
    f.btOpenClick();
    const auto& lines = f.Memo1.lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.end()[-2], "bad.png");
    EXPECT_EQ(lines.back().rfind("cannot read picture: ", 0), 0u) << lines.back();
    EXPECT_FALSE(f.pictureError.empty());
    EXPECT_TRUE(f.srcBitmap.empty());

    // Later runs go on without decoding again, reading the empty picture as white.
    const size_t count = lines.size();
    f.setText(f.edContrast, "1");
    EXPECT_EQ(lines.size(), count);
    EXPECT_EQ(prepared(10, 10), white);
    // Framing just left of and above the origin truncates to (0, 0), which
    // the empty picture does not have.
    f.setText(f.edXmin, "-0.5");
    f.setText(f.edYmin, "-0.5");
    EXPECT_EQ(prepared(0, 0), white);

    open("other.png", solid({}));
    EXPECT_TRUE(f.pictureError.empty());
    EXPECT_EQ(prepared(10, 10), (Colour{0, 0, 0}));
}

TEST_F(Preparation, BadTextKeepsTheValueAndPriorWaitsForTheNextRun)
{
    f.setText(f.edContrast, "1,5");
    EXPECT_EQ(f.contrast, 1.25);
    // edPrior has no handler: its value arrives with the next run.
    f.setText(f.edPrior, "0.5");
    EXPECT_EQ(f.mcLevel, 1.0);
    f.setText(f.edkcolerr, "0.25");
    EXPECT_TRUE(f.mcLevel == 0.5 && f.kcolerr == 0.25);
}

}  // namespace dw
