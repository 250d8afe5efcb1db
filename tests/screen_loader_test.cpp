// The "load" button: exact extension matching, short and missing files, and
// what a converter never writes (flash, palettes past 127). That each file a
// converter writes draws its preview is the mode table test's.

#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {

constexpr uint32_t rgb(int r, int g, int b) { return static_cast<uint32_t>(r + 256 * g + 65536 * b); }

class ScreenLoader : public ::testing::Test {
protected:
    test::ScratchDir dir;
    test::Harness h;
    TForm1& form = *h.form;

    // Writes the screen when given, then loads the file of that name.
    void load(const std::string& name, uint8_t attribute = 0, uint8_t firstByte = 0, size_t size = 6912)
    {
        std::vector<uint8_t> scr(size, 0);
        std::fill(scr.begin() + std::min<size_t>(6144, size), scr.end(), attribute);
        if (size) scr[0] = firstByte;
        if (size) test::writeFile(dir.path() / name, scr);
        h.dialogs.screen = (dir.path() / name).string();
        form.ImLoadClick();
    }
};

// Paper 1 (blue), ink 2 (red), not bright: 63 per palette entry, doubled.
// Flash + bright, paper 2, ink 5: bright red paper, bright cyan ink.
TEST_F(ScreenLoader, ExtensionMatchesOnlyAllLowerOrAllUpperCaseAndFlashIsIgnored)
{
    load("upper.SCR", 8 * 1 + 2, 0x80);
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(126, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(1, 0), rgb(0, 0, 126));
    EXPECT_EQ(form.imTo.picture, form.zxBitmap);
    const Bitmap shown = form.zxBitmap;
    load("mixed.Scr", 7, 0xFF);
    EXPECT_EQ(form.scr1[6144], 10);
    EXPECT_TRUE(form.zxBitmap == shown && form.imTo.picture == shown);
    load("flash.scr", 0x80 | 0x40 | (2 << 3) | 5, 0x80);
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(0, 252, 252));
    EXPECT_EQ(form.zxBitmap.pixel(255, 191), rgb(252, 0, 0));
}

// A file that is not there reads nothing and says so; the old contents are
// drawn again. (How a short file fills the buffers is the layouts test's.)
TEST_F(ScreenLoader, AMissingFileIsNamedAndTheOldScreenIsDrawnAgain)
{
    load("old.scr", 7 * 8, 0xFF);
    const Bitmap shown = form.zxBitmap;
    form.zxBitmap.setPixel(0, 1, rgb(1, 2, 3));
    load("missing.scr", 0, 0, 0);
    EXPECT_EQ(form.Memo1.lines.back(), "cannot load " + (dir.path() / "missing.scr").string() + ": the file cannot be opened");
    EXPECT_EQ(form.scr1[0], 0xFF);
    EXPECT_TRUE(form.zxBitmap == shown && form.imTo.picture == shown);
}

TEST_F(ScreenLoader, DrawsWithThePaletteAsItStands)
{
    test::writeFile(dir.path() / "grey.act", {200, 100, 50, 10, 20, 30});  // shorter files repeat the last
    h.dialogs.palette = (dir.path() / "grey.act").string();
    form.Button2Click();
    load("palette.scr", 8 * 0 + 1, 0x80);
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(10, 20, 30));    // ink 1 doubled
    EXPECT_EQ(form.zxBitmap.pixel(1, 0), rgb(200, 100, 50));  // paper 0 doubled
}

}  // namespace dw
