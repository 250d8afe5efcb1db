// The standard screen converter on small pictures whose screens are worked
// out by hand (default palette: a plain colour is 0 or 126 per component, a
// bright one 0 or 252).

#include <gtest/gtest.h>

#include <functional>

#include "colour/helpers.h"
#include "colour/palette.h"
#include "modes/conv6912.h"
#include "support/test_support.h"

namespace dw {
namespace {

using test::Harness;

constexpr int attrBase = 6144;

struct Rgb {
    int b, g, r;
};

void paint(TForm1& form, const std::function<Rgb(int x, int y)>& colourAt)
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const Rgb c = colourAt(x, y);
            form.workB[y][x] = c.b;
            form.workG[y][x] = c.g;
            form.workR[y][x] = c.r;
        }
}

Rgb grey(int v) { return {v, v, v}; }

// Runs the converter as the run does: the reference planes are a copy of the
// prepared picture.
void convert(TForm1& form)
{
    form.copyWorkToOrig();
    conv6912(form);
}

int pixelBit(const TForm1& form, int x, int y) { return (form.scr1[32 * zxline(y) + x / 8] >> (7 - x % 8)) & 1; }

int attributeOf(const TForm1& form, int x, int y) { return form.scr1[attrBase + 32 * (y / 8) + x / 8]; }

// Every preview pixel shows the colour its bit selects from its cell's attribute.
void expectPreviewMatchesScreen(const TForm1& form)
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const uint8_t a = attributeOf(form, x, y);
            const int index = pixelBit(form, x, y) ? inkIndex(a) : paperIndex(a);
            const Colour c = doubled(paletteColour(form.palB, form.palG, form.palR, index));
            ASSERT_EQ(form.zxBitmap.pixel(x, y), packColour(c)) << "pixel " << x << "," << y;
        }
}

void expectAllAttributes(const TForm1& form, int attribute)
{
    for (int i = 0; i < 768; ++i) ASSERT_EQ(form.scr1[attrBase + i], attribute) << "cell " << i;
}

void expectAllBitmapBytes(const TForm1& form, int value)
{
    for (int i = 0; i < 6144; ++i) ASSERT_EQ(form.scr1[i], value) << "byte " << i;
}

TEST(Conv6912Attributes, BlackPictureKeepsTheStartAttributeWithNoInk)
{
    for (bool brightOnly : {false, true}) {
        Harness h;
        h.form->brightOnly = brightOnly;
        paint(*h.form, [](int, int) { return grey(0); });
        convert(*h.form);
        expectAllAttributes(*h.form, brightOnly ? 71 : 7);
        expectAllBitmapBytes(*h.form, 0);
        expectPreviewMatchesScreen(*h.form);
    }
}

TEST(Conv6912Attributes, WhitePictureTakesTheFirstBrightWhitePairEverywhere)
{
    Harness h;
    paint(*h.form, [](int, int) { return grey(255); });
    convert(*h.form);
    expectAllAttributes(*h.form, 71);
    expectAllBitmapBytes(*h.form, 0xFF);
    EXPECT_EQ(h.form->zxBitmap.pixel(100, 100), packColour({252, 252, 252}));
}

// Row 0 fits bright cyan / bright white exactly (attribute 13 * 8 + 7). The
// white rows below fit that pair as well as the first pair of the search, so
// they keep the attribute inherited from above.
TEST(Conv6912Attributes, EqualErrorKeepsTheAttributeOfTheCellAbove)
{
    Harness h;
    paint(*h.form, [](int x, int y) -> Rgb {
        if (y >= 8) return grey(255);
        return x % 8 < 4 ? Rgb{252, 252, 0} : grey(252);
    });
    convert(*h.form);
    expectAllAttributes(*h.form, 111);
}

TEST(Conv6912Attributes, BrightOnlySearchesBrightPairsOnly)
{
    for (bool brightOnly : {false, true}) {
        Harness h;
        h.form->brightOnly = brightOnly;
        paint(*h.form, [](int, int) { return Rgb{126, 0, 0}; });
        convert(*h.form);
        // Plain blue is exact as the ink of (black, blue); bright blue as the
        // half mix of (bright black, bright blue).
        expectAllAttributes(*h.form, brightOnly ? 65 : 1);
    }
}

// Cells of 60 black and 4 bright red pixels: bright black / bright red fits
// exactly, but its half mix lies far from the cell mean, so centering skips
// it and plain black / red stays best.
TEST(Conv6912Attributes, CenteringSkipsPairsFarFromTheCellMean)
{
    for (bool centering : {false, true}) {
        Harness h;
        h.form->cbMCFilter.checked = centering;
        paint(*h.form, [](int x, int y) { return x % 8 < 2 && y % 8 < 2 ? Rgb{0, 0, 252} : grey(0); });
        convert(*h.form);
        expectAllAttributes(*h.form, centering ? 2 : 66);
    }
}

// Grey 63 is the half mix of black and white (attribute 7): t = 128, and the
// matrix entries below 128 form a checkerboard in both matrix sizes.
TEST(Conv6912Pixels, OrderedMatrixAtHalfShareInksHalfThePixels)
{
    for (uint8_t chunkMask : {uint8_t{7}, uint8_t{1}}) {
        Harness h;
        h.form->cbDith.checked = false;
        h.form->chunkMask = chunkMask;
        paint(*h.form, [](int, int) { return grey(63); });
        convert(*h.form);
        expectAllAttributes(*h.form, 7);
        for (int y = 0; y < screenHeight; ++y)
            for (int c = 0; c < 32; ++c) ASSERT_EQ(h.form->scr1[32 * zxline(y) + c], y % 2 ? 0x55 : 0xAA);
        EXPECT_EQ(h.form->chunkLevel1[5][5], 128);
        EXPECT_FALSE(h.form->retouchOn);
        expectPreviewMatchesScreen(*h.form);
    }
}

// Greys 0, 31, 63, 94, 126 are the five mixes of attribute 7 (t = 0, 62,
// 128, 190, 256); at level 0 ink is exactly t >= 128, in both modes.
TEST(Conv6912Pixels, DitheringLevelZeroIsAPureThreshold)
{
    for (bool floyd : {true, false}) {
        Harness h;
        h.form->setText(h.form->edDithLevel, "0");
        h.form->cbDith.checked = floyd;
        const int levels[5] = {0, 31, 63, 94, 126};
        paint(*h.form, [&](int x, int y) { return grey(levels[(x + y) % 5]); });
        convert(*h.form);
        expectAllAttributes(*h.form, 7);
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) ASSERT_EQ(pixelBit(*h.form, x, y), (x + y) % 5 >= 2) << x << "," << y;
        EXPECT_EQ(h.form->retouchOn, floyd);
    }
}

TEST(Conv6912Pixels, RowsAreStoredInSpectrumLineOrderLeftmostPixelHighest)
{
    Harness h;
    h.form->setText(h.form->edDithLevel, "0");
    paint(*h.form, [](int x, int y) { return grey(y == 1 || y == 8 || (y == 0 && (x == 0 || x == 9)) ? 63 : 0); });
    convert(*h.form);
    for (int i = 0; i < 6144; ++i) {
        int expected = 0;
        if ((i >= 32 && i < 64) || (i >= 256 && i < 288)) expected = 0xFF;  // rows 8 and 1
        if (i == 0) expected = 0x80;
        if (i == 1) expected = 0x40;
        ASSERT_EQ(h.form->scr1[i], expected) << "byte " << i;
    }
}

TEST(Conv6912Pixels, InkShareIsKeptUnclamped)
{
    Harness h;
    paint(*h.form, [](int x, int y) { return grey(x == 3 && y == 2 ? 130 : (x % 2 ? 126 : 0)); });
    convert(*h.form);
    EXPECT_EQ(attributeOf(*h.form, 3, 2), 7);
    EXPECT_EQ(h.form->chunkLevel1[2][0], 0);
    EXPECT_EQ(h.form->chunkLevel1[2][1], 256);
    EXPECT_EQ(h.form->chunkLevel1[2][3], 264);  // (3*130^2 - 3*4^2) / (3*126^2) + 1, times 128
}

// Grey 121 is nearest to white 126: e = -5 gives -15/8 -> -1 on the right and
// below, -5/8 -> 0 on the diagonals (truncation toward zero, not flooring).
TEST(Conv6912Diffusion, NegativeErrorSharesTruncateTowardZero)
{
    Harness h;
    paint(*h.form, [](int x, int y) { return grey(x == 0 && y == 0 ? 121 : 0); });
    convert(*h.form);
    EXPECT_EQ(attributeOf(*h.form, 0, 0), 7);
    EXPECT_EQ(pixelBit(*h.form, 0, 0), 1);
    EXPECT_EQ(h.form->workB[0][1], -1);
    EXPECT_EQ(h.form->workB[1][0], -1);
    EXPECT_EQ(h.form->workB[1][1], 0);
    EXPECT_EQ(h.form->workB[1][-1], 0);
}

// The error is measured against the nearer colour, before the band forces
// the bit: a black working pixel whose reference is white is forced to ink
// but spreads nothing.
TEST(Conv6912Diffusion, ErrorIsMeasuredBeforeTheBandOverride)
{
    Harness h;
    paint(*h.form, [](int, int) { return grey(0); });
    h.form->copyWorkToOrig();
    h.form->origB[0][0] = h.form->origG[0][0] = h.form->origR[0][0] = 126;  // t = 256 > dithHi
    conv6912(*h.form);
    EXPECT_EQ(pixelBit(*h.form, 0, 0), 1);
    EXPECT_EQ(pixelBit(*h.form, 1, 0), 0);
    EXPECT_EQ(h.form->workB[0][1], 0);
    EXPECT_EQ(h.form->workB[1][0], 0);
}

// Grey 60 in a black cell: e = 60 gives 3/8 -> 22 and 1/8 -> 7.
TEST(Conv6912Diffusion, WithoutProjectingErrorStaysInsideTheCellRow)
{
    Harness h;
    paint(*h.form, [](int x, int y) { return grey((x == 7 && (y == 7 || y == 16)) ? 60 : 0); });
    convert(*h.form);
    // From the bottom-right corner of cell (0, 0) nothing leaves the cell.
    EXPECT_EQ(h.form->workB[7][8], 0);
    EXPECT_EQ(h.form->workB[8][7], 0);
    EXPECT_EQ(h.form->workB[8][6], 0);
    EXPECT_EQ(h.form->workB[8][8], 0);
    // From the top-right pixel of cell (2, 0): down 22 (plus 3 * 7/8 = 2
    // from the left neighbour's share), and the diagonals reach into the
    // neighbouring cell of the same character row.
    EXPECT_EQ(h.form->workB[16][8], 0);
    EXPECT_EQ(h.form->workB[17][7], 22 + 2);
    EXPECT_EQ(h.form->workB[17][8], 7);
}

// With projecting, black pixels move to 1 (t clamps to 255) and grey 60 to
// 61, whose error of 61 crosses the cell edges: 3/8 -> 22 right and below.
// The pixel below also gets 23/8 -> 2 from the pixel right of the grey one
// and 3 * 8/8 = 3 from its left neighbour (1 + 61/8).
TEST(Conv6912Diffusion, WithProjectingErrorCrossesCellEdges)
{
    Harness h;
    h.form->cbProjecting.checked = true;
    paint(*h.form, [](int x, int y) { return grey(x == 7 && y == 7 ? 60 : 0); });
    convert(*h.form);
    EXPECT_EQ(h.form->origB[0][0], 1);
    EXPECT_EQ(h.form->origB[7][7], 61);
    EXPECT_EQ(h.form->workB[7][8], 1 + 22);
    EXPECT_EQ(h.form->workB[8][7], 1 + 22 + 2 + 3);
}

TEST(Conv6912Diffusion, ProjectingSpreadsIntoTheMargins)
{
    Harness h;
    h.form->cbProjecting.checked = true;
    paint(*h.form, [](int x, int y) { return grey(x == 255 && y == 191 ? 60 : 0); });
    convert(*h.form);
    EXPECT_EQ(h.form->workB[191][256], 22);
    EXPECT_EQ(h.form->workB[192][255], 22);
    EXPECT_EQ(h.form->workB[192][254], 7);
    EXPECT_EQ(h.form->workB[192][256], 7);
}

}  // namespace
}  // namespace dw
