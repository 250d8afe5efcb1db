// The picture preparation: decoding on a new name, sampling the framing
// rectangle, and the tone steps, checked on small pictures whose prepared
// pixels are worked out by hand.

#include "base/colour.h"
#include "core/form.h"
#include "readers/png_writer.h"
#include "support/test_support.h"

namespace dw {

using test::Harness;
using test::ScratchDir;

Bitmap makePicture(int width, int height, const std::function<Colour(int, int)>& colourAt)
{
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.setPixel(x, y, packColour(colourAt(x, y)));
    return picture;
}

Bitmap solid(Colour colour) { return makePicture(4, 3, [=](int, int) { return colour; }); }

// Writes `picture` as PNG bytes under `name` and opens it through the dialog.
void openPicture(Harness& h, const std::string& name, const Bitmap& picture)
{
    test::writeFile(name, encodePng(picture));
    h.dialogs.picture = name;
    h.form->btOpenClick();
}

Colour prepared(const TForm1& form, int x, int y) { return {form.workB[y][x], form.workG[y][x], form.workR[y][x]}; }

const Colour white{255, 255, 255};

// Contrast 1, brightness 0 and saturation 1 make the tone steps the identity.
void neutralTone(TForm1& form) { form.setText(form.edContrast, "1"); }

// A 4x3 picture opened with the 3:4 lock frames 4x3, so screen pixel (x, y)
// samples source pixel (x / 64, y / 64).
TEST(Preparation, DefaultToneCurveKeepsMidGreyAndRaisesHighlights)
{
    ScratchDir dir;
    Harness h;
    const int levels[4] = {0, 128, 200, 255};
    openPicture(h, "tones.png", makePicture(4, 3, [&](int x, int) { return Colour{levels[x], levels[3 - x], 128}; }));
    const int expected[4] = {0, 128, 218, 255};
    for (int x = 0; x < 256; x += 17)
        for (int y = 0; y < 192; y += 13)
            EXPECT_EQ(prepared(*h.form, x, y), (Colour{expected[x / 64], expected[3 - x / 64], 128})) << x << "," << y;
}

// One-colour pictures with contrast 1: brightness adds 256 * b, saturation
// mixes with the truncated luminance 0.15 B + 0.55 G + 0.3 R, and both clamp.
TEST(Preparation, BrightnessAndSaturationTruncateAndClamp)
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
    for (const auto& c : cases) {
        ScratchDir dir;
        Harness h;
        openPicture(h, "one.png", solid(c.in));
        neutralTone(*h.form);
        h.form->setText(c.edit[0] == 'b' ? h.form->edBrightness : h.form->edColor, c.text);
        EXPECT_EQ(prepared(*h.form, 0, 0), c.out) << c.edit << " " << c.text;
        EXPECT_EQ(prepared(*h.form, 255, 191), c.out) << c.edit << " " << c.text;
    }
}

// The preview shown beside the picture holds the prepared planes packed.
TEST(Preparation, DoubleSizeCropSamplesEverySecondPixel)
{
    ScratchDir dir;
    Harness h;
    auto colourAt = [](int x, int y) { return Colour{(x >> 8) + 2 * (y >> 8), y & 255, x & 255}; };
    openPicture(h, "big.png", makePicture(512, 384, colourAt));
    neutralTone(*h.form);
    EXPECT_EQ(h.form->edWidth.text + "x" + h.form->edHeight.text, "512x384");
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(prepared(*h.form, x, y), colourAt(2 * x, 2 * y)) << x << "," << y;
            ASSERT_EQ(h.form->normBitmap.pixel(x, y), packColour(colourAt(2 * x, 2 * y))) << x << "," << y;
        }
    EXPECT_EQ(h.form->imFrom.picture, h.form->normBitmap);
}

// Positions are truncated toward zero: with the rectangle moved one pixel
// left, the first column falls outside (white) and the next 127 columns all
// land on source column 0; negative sizes sample mirrored.
TEST(Preparation, SamplesOutsideThePictureReadWhiteAndNegativeFramingMirrors)
{
    ScratchDir dir;
    Harness h;
    openPicture(h, "o.png", makePicture(4, 3, [](int x, int y) { return Colour{x, y, 7}; }));
    neutralTone(*h.form);
    h.form->setText(h.form->edXmin, "-1");
    EXPECT_EQ(prepared(*h.form, 0, 0), white);
    EXPECT_EQ(prepared(*h.form, 1, 0), (Colour{0, 0, 7}));
    EXPECT_EQ(prepared(*h.form, 128, 0), (Colour{1, 0, 7}));
    EXPECT_EQ(prepared(*h.form, 255, 191), (Colour{2, 2, 7}));

    h.form->setText(h.form->edXmin, "2");
    EXPECT_EQ(prepared(*h.form, 128, 0), white);
    h.form->setText(h.form->edYmin, "1e300");
    EXPECT_EQ(prepared(*h.form, 0, 0), white);

    // Negative framing samples mirrored.
    h.form->Image1MouseDown(MouseButton::left, 4, 3);
    h.form->Image1MouseDown(MouseButton::right, 0, 0);
    EXPECT_EQ(h.form->edWidth.text + "x" + h.form->edHeight.text, "-4x-3");
    // u = trunc(4 - x/64): x = 0 reads column 4, outside; then 3, 2, 1, 0.
    EXPECT_EQ(prepared(*h.form, 0, 100), white);
    EXPECT_EQ(prepared(*h.form, 64, 64), (Colour{3, 2, 7}));
    EXPECT_EQ(prepared(*h.form, 65, 65), (Colour{2, 1, 7}));
    EXPECT_EQ(prepared(*h.form, 255, 191), (Colour{0, 0, 7}));
}

// The same name chosen again is not decoded and keeps its framing.
TEST(Preparation, SamePictureIsNotDecodedAgainAndADecodeErrorIsReportedOnce)
{
    ScratchDir dir;
    Harness h;
    openPicture(h, "good.png", makePicture(8, 6, [](int, int) { return Colour{}; }));
    h.form->setText(h.form->edXmin, "2");
    const size_t opened = h.form->Memo1.lines.size();
    test::writeFile("good.png", encodePng(solid({})));
    h.form->btOpenClick();
    EXPECT_EQ(h.form->Memo1.lines.size(), opened);
    EXPECT_TRUE(h.form->srcBitmap.width() == 8 && h.form->cropX == 2);

    test::writeFile("bad.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    h.dialogs.picture = "bad.png";
    h.form->btOpenClick();
    const auto& lines = h.form->Memo1.lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.end()[-2], "bad.png");
    EXPECT_EQ(lines.back().rfind("cannot read picture: ", 0), 0u) << lines.back();
    EXPECT_FALSE(h.form->pictureError.empty());
    EXPECT_TRUE(h.form->srcBitmap.empty());

    // Later runs go on without decoding again, reading the empty picture as white.
    const size_t count = lines.size();
    h.form->setText(h.form->edContrast, "1");
    EXPECT_EQ(lines.size(), count);
    EXPECT_EQ(prepared(*h.form, 10, 10), white);

    openPicture(h, "other.png", solid({}));
    EXPECT_TRUE(h.form->pictureError.empty());
    EXPECT_EQ(prepared(*h.form, 10, 10), (Colour{0, 0, 0}));
}

TEST(Preparation, BadTextKeepsTheValueAndPriorWaitsForTheNextRun)
{
    ScratchDir dir;
    Harness h;
    TForm1& f = *h.form;
    f.setText(f.edContrast, "1,5");
    EXPECT_EQ(f.contrast, 1.25);
    // edPrior has no handler: its value arrives with the next run.
    f.setText(f.edPrior, "0.5");
    EXPECT_EQ(f.mcLevel, 1.0);
    f.setText(f.edkcolerr, "0.25");
    EXPECT_TRUE(f.mcLevel == 0.5 && f.kcolerr == 0.25);
}

}  // namespace dw
