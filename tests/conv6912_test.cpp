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

using Painter = std::function<Colour(int x, int y)>;
Colour grey(int v) { return {v, v, v}; }

// Paints the work planes and runs the converter as the run does: the
// reference planes are a copy of the prepared picture.
void convert(TForm1& form, const Painter& colourAt)
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const Colour c = colourAt(x, y);
            form.workB[y][x] = c.b, form.workG[y][x] = c.g, form.workR[y][x] = c.r;
        }
    form.copyWorkToOrig();
    conv6912(form.conversion(form.modeSettings()));
}

int pixelBit(const TForm1& form, int x, int y) { return (form.scr1[32 * zxline(y) + x / 8] >> (7 - x % 8)) & 1; }
int attributeOf(const TForm1& form, int x, int y) { return form.scr1[6144 + 32 * (y / 8) + x / 8]; }

void expectAllAttributes(const TForm1& form, int attribute)
{
    for (int i = 0; i < 768; ++i) ASSERT_EQ(form.scr1[6144 + i], attribute) << "cell " << i;
}

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

// Small pictures and the attribute every cell ends with:
// - black keeps the start attribute 7 (71 with "bright only") and sets no ink;
// - white takes the first bright white pair (71) with every pixel ink;
// - cyan / white stripes fit bright cyan / bright white exactly on row 0; the
//   white rows below fit it as well as the first pair of the search, so an
//   equal error keeps the attribute inherited from the cell above (111);
// - plain blue is exact as the ink of (black, blue); with "bright only" bright
//   blue as the half mix of (bright black, bright blue);
// - cells of 60 black and 4 bright red pixels fit bright black / bright red
//   exactly, but its half mix lies far from the cell mean, so centering skips
//   it and plain black / red stays best.
TEST(Conv6912Attributes, HandWorkedPicturesTakeTheirAttributeInEveryCell)
{
    const Painter black = [](int, int) { return grey(0); };
    const Painter blue = [](int, int) { return Colour{126, 0, 0}; };
    const Painter redDots = [](int x, int y) { return x % 8 < 2 && y % 8 < 2 ? Colour{0, 0, 252} : grey(0); };
    struct Case {
        const char* what;
        bool brightOnly, centering;
        Painter picture;
        int attribute, bitmapByte;  // -1: any
    };
    const Case cases[] = {
        {"black", false, false, black, 7, 0},
        {"black, bright only", true, false, black, 71, 0},
        {"white", false, false, [](int, int) { return grey(255); }, 71, 0xFF},
        {"equal error inherits", false, false,
         [](int x, int y) { return y >= 8 ? grey(255) : x % 8 < 4 ? Colour{252, 252, 0} : grey(252); }, 111, -1},
        {"blue", false, false, blue, 1, -1},
        {"blue, bright only", true, false, blue, 65, -1},
        {"red dots", false, false, redDots, 66, -1},
        {"red dots, centering", false, true, redDots, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Harness h;
        h.form->brightOnly = c.brightOnly;
        h.form->cbMCFilter.checked = c.centering;
        convert(*h.form, c.picture);
        expectAllAttributes(*h.form, c.attribute);
        for (int i = 0; i < 6144 && c.bitmapByte >= 0; ++i) ASSERT_EQ(h.form->scr1[i], c.bitmapByte) << "byte " << i;
        expectPreviewMatchesScreen(*h.form);
    }
}

// Grey 63 is the half mix of black and white (attribute 7): t = 128, and the
// matrix entries below 128 form a checkerboard in both matrix sizes.
TEST(Conv6912Pixels, OrderedMatrixAtHalfShareInksHalfThePixels)
{
    for (uint8_t chunkMask : {uint8_t{7}, uint8_t{1}}) {
        test::Harness h;
        h.form->cbDith.checked = false;
        h.form->chunkMask = chunkMask;
        convert(*h.form, [](int, int) { return grey(63); });
        expectAllAttributes(*h.form, 7);
        for (int y = 0; y < screenHeight; ++y)
            for (int c = 0; c < 32; ++c) ASSERT_EQ(h.form->scr1[32 * zxline(y) + c], y % 2 ? 0x55 : 0xAA);
        EXPECT_EQ(h.form->chunkLevel1[5][5], 128);
        EXPECT_FALSE(h.form->retouchOn);
    }
}

// Greys 0, 31, 63, 94, 126 are the five mixes of attribute 7 (t = 0, 62,
// 128, 190, 256); at level 0 ink is exactly t >= 128, in both modes.
TEST(Conv6912Pixels, DitheringLevelZeroIsAPureThreshold)
{
    for (bool floyd : {true, false}) {
        test::Harness h;
        h.form->setText(h.form->edDithLevel, "0");
        h.form->cbDith.checked = floyd;
        const int levels[5] = {0, 31, 63, 94, 126};
        convert(*h.form, [&](int x, int y) { return grey(levels[(x + y) % 5]); });
        expectAllAttributes(*h.form, 7);
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) ASSERT_EQ(pixelBit(*h.form, x, y), (x + y) % 5 >= 2) << x << "," << y;
    }
}

TEST(Conv6912Pixels, RowsAreStoredInSpectrumLineOrderLeftmostPixelHighest)
{
    test::Harness h;
    h.form->setText(h.form->edDithLevel, "0");
    convert(*h.form, [](int x, int y) { return grey(y == 1 || y == 8 || (y == 0 && (x == 0 || x == 9)) ? 63 : 0); });
    for (int i = 0; i < 6144; ++i) {
        int expected = (i >= 32 && i < 64) || (i >= 256 && i < 288) ? 0xFF : 0;  // rows 8 and 1
        if (i < 2) expected = 0x80 >> i;
        ASSERT_EQ(h.form->scr1[i], expected) << "byte " << i;
    }
}

// (3 * 130^2 - 3 * 4^2) / (3 * 126^2) + 1, times 128, is 264: not clamped to 256.
TEST(Conv6912Pixels, InkShareIsKeptUnclamped)
{
    test::Harness h;
    convert(*h.form, [](int x, int y) { return grey(x == 3 && y == 2 ? 130 : (x % 2 ? 126 : 0)); });
    EXPECT_EQ(attributeOf(*h.form, 3, 2), 7);
    EXPECT_EQ(h.form->chunkLevel1[2][0], 0);
    EXPECT_EQ(h.form->chunkLevel1[2][1], 256);
    EXPECT_EQ(h.form->chunkLevel1[2][3], 264);
}

// Worked-out blue work-plane values after a run: {y, x, value}.
struct Spot {
    int y, x, value;
};

// - Grey 121 is nearest to white 126: e = -5 gives -15/8 -> -1 right and
//   below, -5/8 -> 0 on the diagonals (truncation toward zero, not flooring).
// - Grey 60 in a black cell, e = 60: 3/8 -> 22, 1/8 -> 7. Without projecting
//   nothing leaves cell (0, 0) from its bottom-right corner; from the top
//   right of cell (2, 0) the diagonal reaches the neighbouring cell of the same
//   character row, and below gets 22 plus 3 * 7/8 = 2 from the left neighbour.
// - With projecting black moves to 1 (t clamps to 255) and grey 60 to 61,
//   whose error crosses the cell edges: 22 right and below; below also gets
//   23/8 -> 2 from the right neighbour and 3 * 8/8 = 3 from its left one. At
//   the picture's corner the shares reach the margins.
TEST(Conv6912Diffusion, ErrorSharesTruncateTowardZeroAndRespectCellEdgesUnlessProjecting)
{
    struct Case {
        const char* what;
        bool projecting;
        Painter picture;
        std::vector<Spot> expected;
    };
    const Case cases[] = {
        {"negative error", false, [](int x, int y) { return grey(x == 0 && y == 0 ? 121 : 0); },
         {{0, 1, -1}, {1, 0, -1}, {1, 1, 0}, {1, -1, 0}}},
        {"inside the cell row", false, [](int x, int y) { return grey(x == 7 && (y == 7 || y == 16) ? 60 : 0); },
         {{7, 8, 0}, {8, 7, 0}, {8, 6, 0}, {8, 8, 0}, {16, 8, 0}, {17, 7, 22 + 2}, {17, 8, 7}}},
        {"projecting crosses cells", true, [](int x, int y) { return grey(x == 7 && y == 7 ? 60 : 0); },
         {{7, 8, 1 + 22}, {8, 7, 1 + 22 + 2 + 3}}},
        {"projecting into the margins", true, [](int x, int y) { return grey(x == 255 && y == 191 ? 60 : 0); },
         {{191, 256, 22}, {192, 255, 22}, {192, 254, 7}, {192, 256, 7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Harness h;
        h.form->cbProjecting.checked = c.projecting;
        convert(*h.form, c.picture);
        for (const Spot& s : c.expected) EXPECT_EQ(h.form->workB[s.y][s.x], s.value) << s.x << "," << s.y;
        if (!c.projecting) continue;
        EXPECT_EQ(h.form->origB[0][0], 1);
        if (c.picture(7, 7).b == 60) {
            EXPECT_EQ(h.form->origB[7][7], 61);
        }
    }
}

// A black working pixel whose reference is white (t = 256 above the band) is
// forced to ink, but its error is measured against the nearer colour, black,
// so it spreads nothing.
TEST(Conv6912Diffusion, ErrorIsMeasuredBeforeTheBandOverride)
{
    test::Harness h;
    test::fillWork(*h.form, 0, 0, 0);
    h.form->copyWorkToOrig();
    h.form->origB[0][0] = h.form->origG[0][0] = h.form->origR[0][0] = 126;
    conv6912(h.form->conversion(h.form->modeSettings()));
    EXPECT_EQ(pixelBit(*h.form, 0, 0), 1);
    EXPECT_EQ(pixelBit(*h.form, 1, 0), 0);
    EXPECT_EQ(h.form->workB[0][1], 0);
    EXPECT_EQ(h.form->workB[1][0], 0);
}

}  // namespace
}  // namespace dw
