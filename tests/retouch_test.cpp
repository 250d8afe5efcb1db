// The brush: the square it touches, the ordered re-texturing of the left
// button, restoring with the right and middle buttons, the status labels and
// "save". The screens are set up directly, as a run would leave them.

#include "colour/dithering.h"
#include "support/test_support.h"
#include "zxfiles/cell_drawing.h"
#include "zxfiles/layouts.h"

namespace dw {

constexpr uint32_t rgb(int r, int g, int b) { return static_cast<uint32_t>(r + 256 * g + 65536 * b); }

bool bitOf(const ScreenBuffer& scr, int x, int y) { return scr[standardPixelOffset(x, y)] & pixelMask(x); }

class Brush : public ::testing::Test {
protected:
    test::ScratchDir dir;
    test::Harness h;
    TForm1& form = *h.form;

    // A standard run's result: screen 2 equal to screen 1, both kept as
    // converted, every cell of `attribute` (white paper, black ink unless
    // told), all paper; every ink share `level`.
    void standardRun(int level, uint8_t attribute = 8 * 7)
    {
        form.scr1.fill(0);
        std::fill(form.scr1.begin() + 6144, form.scr1.begin() + 6912, attribute);
        form.scr2 = form.scr1Conv = form.scr2Conv = form.scr1;
        form.chunkLevel1.fill(level), form.chunkLevel2.fill(level);
        drawStandardPair(form.scr1, form.scr2, {form.palB, form.palG, form.palR}, form.zxBitmap);
        form.imTo.picture = form.zxBitmap;
        form.retouchOn = true;
        form.gigaShown = false;
    }

    // Pixels whose screen-1 bit or shown colour differ from the converted state.
    std::vector<std::pair<int, int>> changedPixels() const
    {
        std::vector<std::pair<int, int>> changed;
        for (int y = 0; y < 192; ++y)
            for (int x = 0; x < 256; ++x)
                if (bitOf(form.scr1, x, y) != bitOf(form.scr1Conv, x, y) ||
                    form.imTo.picture.pixel(x, y) != form.zxBitmap.pixel(x, y))
                    changed.emplace_back(x, y);
        return changed;
    }
};

// Stamps clipped at the screen edges; everything inside turns to ink (black).
TEST_F(Brush, StampCoversTheSquareOfItsRadiusClippedToTheScreen)
{
    const struct {
        int radius, x, y, x0, y0, x1, y1;
    } stamps[] = {{1, 100, 50, 99, 49, 101, 51}, {8, 0, 0, 0, 0, 8, 8}, {20, 255, 191, 235, 171, 255, 191}};
    for (const auto& s : stamps) {
        standardRun(256);
        form.udRadius.position = s.radius;
        form.imToMouseDown(MouseButton::left, s.x, s.y);
        const auto changed = changedPixels();
        EXPECT_EQ(changed.size(), size_t(s.x1 - s.x0 + 1) * (s.y1 - s.y0 + 1)) << "radius " << s.radius;
        for (auto [x, y] : changed)
            EXPECT_TRUE(x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1 && form.imTo.picture.pixel(x, y) == 0) << x << "," << y;
        EXPECT_TRUE(form.btSaveDraw.enabled);
    }
}

// The left button inks where the level beats the matrix threshold ("5
// chunks": the 2x2 thresholds 30, 158 / 222, 94); dithering level 0
// thresholds every pixel at 127.
TEST_F(Brush, LeftButtonUsesTheMatrixThresholdPerPixelOrAPureThresholdAtLevelZero)
{
    const struct {
        int level, chunkMask;
        const char* dithLevel;
        std::function<bool(int x, int y)> ink;
    } cases[] = {{128, 7, "1", [](int x, int y) { return ditherMatrix[x][y] < 128; }},
                 {100, 1, "1", [](int x, int y) { return x % 2 == y % 2; }},
                 {127, 7, "0", [](int, int) { return false; }},
                 {128, 7, "0", [](int, int) { return true; }}};
    for (const auto& c : cases) {
        standardRun(c.level);
        form.chunkMask = static_cast<uint8_t>(c.chunkMask);
        form.setText(form.edDithLevel, c.dithLevel);
        form.udRadius.position = 3;
        form.drawchr(MouseButton::left, 3, 3);  // covers the 7x7 block at the origin
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(bitOf(form.scr1, x, y), c.ink(x, y)) << c.level << ": " << x << "," << y;
    }
}

// Screen 1 blue paper / red ink, screen 2 bright green paper / bright white
// ink. Columns 19 and 20 ink screen 1 only (slot 1: red 63 + green 126),
// column 21 both screens (slot 3), wherever 200 beats the matrix threshold.
TEST_F(Brush, GigascreenPairPaintsTheFourMixes)
{
    standardRun(0, 8 * 1 + 2);
    std::fill(form.scr2.begin() + 6144, form.scr2.begin() + 6912, 64 + 8 * 4 + 7);
    form.scr2Conv = form.scr2;
    form.gigaShown = true;
    form.udRadius.position = 1;
    form.chunkLevel1.fill(200);
    for (int y = 0; y < 192; ++y) form.chunkLevel2[y][21] = 200;
    form.drawchr(MouseButton::left, 20, 20);
    for (int y = 19; y <= 21; ++y)
        for (int x = 19; x <= 21; ++x) {
            const bool ink1 = 200 > ditherMatrix[x & 7][y & 7], ink2 = x == 21 && ink1;
            EXPECT_TRUE(bitOf(form.scr1, x, y) == ink1 && bitOf(form.scr2, x, y) == ink2) << x << "," << y;
            const uint32_t expected = ink1 ? (ink2 ? rgb(63 + 126, 126, 126) : rgb(63, 126, 0))
                                           : (ink2 ? rgb(126, 126, 63 + 126) : rgb(0, 126, 63));
            EXPECT_EQ(form.imTo.picture.pixel(x, y), expected) << x << "," << y;
        }
}

// The right button restores only the stamped bits, each screen from its
// converted copy; a middle click restores but a middle drag does nothing;
// both buttons while dragging paint, then restore.
TEST_F(Brush, RightAndMiddleButtonsRestoreTheStampedBitsFromTheConvertedCopies)
{
    standardRun(256);
    form.udRadius.position = 2;
    form.drawchr(MouseButton::left, 50, 50);
    form.scr1Conv[standardPixelOffset(48, 50)] = 0x0F;
    form.scr2Conv[standardPixelOffset(48, 50)] = 0xF0;
    form.imToMouseDown(MouseButton::right, 50, 50);
    // Pixels 48..52 of line 50: bits of byte 6 (pixels 48..55) masks 0x80..0x08.
    EXPECT_EQ(form.scr1[standardPixelOffset(48, 50)], 0x08);
    EXPECT_EQ(form.scr2[standardPixelOffset(48, 50)], 0xF0);
    EXPECT_EQ(form.imTo.picture, form.zxBitmap);

    standardRun(256);
    form.udRadius.position = 1;
    form.imToMouseMove({.middle = true}, 30, 30);
    EXPECT_TRUE(changedPixels().empty());
    form.imToMouseMove({.left = true}, 30, 30);
    form.imToMouseMove({.middle = true}, 30, 30);
    EXPECT_EQ(changedPixels().size(), 9u);
    form.imToMouseDown(MouseButton::middle, 30, 30);
    EXPECT_TRUE(changedPixels().empty());
    form.imToMouseMove({.left = true, .right = true}, 60, 60);
    EXPECT_EQ(form.scr1, form.scr1Conv);
}

// The labels show ink and paper of both screens under the mouse, the raw
// attribute shifted by 3 for paper (flash included), nothing off the screen.
TEST_F(Brush, OffWhileRetouchIsOffButLabelsStillFollowTheMouse)
{
    standardRun(256, 71);
    std::fill(form.scr2.begin() + 6144, form.scr2.begin() + 6912, 8 * 2 + 5);
    form.scr2[standardAttrOffset(255, 191)] = 0x80 | 8 * 3;
    form.retouchOn = false;
    form.imToMouseDown(MouseButton::left, 10, 10);
    for (const auto& [x, y, labels] : {std::tuple{10, 10, "ink=15;pap=8 ink=5;pap=2"}, {255, 191, "ink=15;pap=8 ink=0;pap=19"},
                                       {256, 10, " "}, {10, -1, " "}}) {
        form.imToMouseMove({.left = true, .right = true}, x, y);
        EXPECT_EQ(form.lbIP1.caption + " " + form.lbIP2.caption, labels) << x << "," << y;
    }
    EXPECT_TRUE(changedPixels().empty() && !form.btSaveDraw.enabled);
}

TEST_F(Brush, SaveWritesTheSingleScreenOrThePair)
{
    standardRun(0);
    form.outBase = (dir.path() / "cat").string();
    form.scr1[6912] = 0x44;
    form.btSaveDraw.enabled = true;
    form.btSaveDrawClick();
    EXPECT_FALSE(form.btSaveDraw.enabled);
    EXPECT_TRUE(test::readFile(dir.path() / "cat.scr") == scrFile(form.scr1));
    form.gigaShown = true;
    form.scr2[0] = 0x55;
    form.btSaveDrawClick();
    EXPECT_TRUE(test::readFile(dir.path() / "cat.img") == imgFile(form.scr1, form.scr2));
}

}  // namespace dw
