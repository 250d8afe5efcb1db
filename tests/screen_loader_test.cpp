// The "load" button: exact extension matching, short and missing files, and
// what a converter never writes (flash, palettes past 127). That each file a
// converter writes draws its preview is the mode table test's.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

constexpr uint32_t rgb(int r, int g, int b) { return static_cast<uint32_t>(r + 256 * g + 65536 * b); }

class ScreenLoader : public ::testing::Test {
protected:
    test::ScratchDir dir;
    test::Harness h;
    TForm1& form = *h.form;

    void load(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        test::writeFile(dir.path() / name, bytes);
        loadExisting(name);
    }
    void loadExisting(const std::string& name)
    {
        h.dialogs.screen = (dir.path() / name).string();
        form.ImLoadClick();
    }
};

std::vector<uint8_t> standardScreen(uint8_t attribute, uint8_t firstByte)
{
    std::vector<uint8_t> scr(6912, 0);
    std::fill(scr.begin() + 6144, scr.end(), attribute);
    scr[0] = firstByte;
    return scr;
}

TEST_F(ScreenLoader, ExtensionMatchesOnlyAllLowerOrAllUpperCase)
{
    // Paper 1 (blue), ink 2 (red), not bright: 63 per palette entry, doubled.
    load("upper.SCR", standardScreen(8 * 1 + 2, 0x80));
    EXPECT_EQ(form.scr1[6144], 10);
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(126, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(1, 0), rgb(0, 0, 126));
    EXPECT_EQ(form.imTo.picture, form.zxBitmap);

    const Bitmap shown = form.zxBitmap;
    load("mixed.Scr", standardScreen(7, 0xFF));
    EXPECT_EQ(form.scr1[6144], 10);
    EXPECT_TRUE(form.zxBitmap == shown && form.imTo.picture == shown);
}

TEST_F(ScreenLoader, LoadingTurnsTheBrushOffAndEntersTheFilesFolder)
{
    form.retouchOn = form.btSaveDraw.enabled = true;
    std::filesystem::create_directory(dir.path() / "sub");
    load("sub/a.scr", standardScreen(56, 0));
    EXPECT_FALSE(form.retouchOn || form.btSaveDraw.enabled);
    EXPECT_EQ(form.workFolder, (dir.path() / "sub").string());

    // Cancelling still turns the brush off and changes nothing else.
    form.retouchOn = true;
    form.scr1[0] = 0x42;
    h.dialogs.screen.reset();
    form.ImLoadClick();
    EXPECT_FALSE(form.retouchOn);
    EXPECT_EQ(form.scr1[0], 0x42);
}

TEST_F(ScreenLoader, FlashBitIsIgnoredInDrawing)
{
    // Flash + bright, paper 2, ink 5: paper index 10 (bright red), ink 13 (bright cyan).
    load("flash.scr", standardScreen(0x80 | 0x40 | (2 << 3) | 5, 0x80));
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(0, 252, 252));
    EXPECT_EQ(form.zxBitmap.pixel(1, 0), rgb(252, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(255, 191), rgb(252, 0, 0));
}

TEST_F(ScreenLoader, ShortAndMissingFilesKeepWhatTheBuffersHeld)
{
    form.scr1 = {};
    std::fill(form.scr1.begin() + 6144, form.scr1.begin() + 6912, 7 * 8);  // white paper everywhere
    load("short.scr", std::vector<uint8_t>(100, 0xFF));
    EXPECT_EQ(form.scr1[99], 0xFF);
    EXPECT_EQ(form.scr1[100], 0);
    EXPECT_EQ(form.scr1[6144], 56);
    // Row 0 is bytes 0..31 (ink, black); row 8 starts at byte 32 (ink); row 1 at 256 (paper, white).
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(0, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(0, 8), rgb(0, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(0, 1), rgb(126, 126, 126));

    // A file that is not there reads nothing, and says so; the old contents are drawn again.
    form.zxBitmap.setPixel(0, 1, rgb(1, 2, 3));
    loadExisting("missing.scr");
    EXPECT_EQ(form.Memo1.lines.back(), "cannot load " + (dir.path() / "missing.scr").string() + ": the file cannot be opened");
    EXPECT_EQ(form.scr1[99], 0xFF);
    EXPECT_EQ(form.zxBitmap.pixel(0, 1), rgb(126, 126, 126));
    EXPECT_EQ(form.imTo.picture, form.zxBitmap);
}

TEST_F(ScreenLoader, McOfFullSizeFillsExactlyScreenOneAndDoublesThePalette)
{
    form.scr2.fill(0x5A);
    std::vector<uint8_t> mc(12288, 0);
    mc[32 * 3] = 0x80;               // pixel (0, 3) ink
    mc[6144 + 32 * 3] = 8 * 1 + 2;   // its 8x1 cell: paper blue, ink red
    mc[6144 + 32 * 4] = 64 + 8 * 4;  // line 4: bright green paper
    load("one.mc", mc);
    EXPECT_TRUE(std::equal(mc.begin(), mc.end(), form.scr1.begin()));
    for (uint8_t v : form.scr2) ASSERT_EQ(v, 0x5A);
    EXPECT_EQ(form.zxBitmap.pixel(0, 3), rgb(126, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(7, 3), rgb(0, 0, 126));
    EXPECT_EQ(form.zxBitmap.pixel(8, 3), rgb(0, 0, 0));
    EXPECT_EQ(form.zxBitmap.pixel(0, 4), rgb(0, 252, 0));
    EXPECT_EQ(form.zxBitmap.pixel(0, 2), rgb(0, 0, 0));
}

TEST_F(ScreenLoader, DrawsWithThePaletteAsItStandsComponentsModulo256)
{
    test::writeFile(dir.path() / "grey.act", {200, 100, 50, 10, 20, 30});  // shorter files repeat the last
    h.dialogs.palette = (dir.path() / "grey.act").string();
    form.Button2Click();
    ASSERT_EQ(form.palR[0], 100);
    ASSERT_EQ(form.palB[1], 15);
    load("palette.scr", standardScreen(8 * 0 + 1, 0x80));
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(10, 20, 30));    // ink 1 doubled
    EXPECT_EQ(form.zxBitmap.pixel(1, 0), rgb(200, 100, 50));  // paper 0 doubled

    // Entries above 127 only come from code; their doubled value wraps per component.
    form.palR = form.palG = form.palB = {};
    form.palR[1] = 200;
    loadExisting("palette.scr");
    EXPECT_EQ(form.zxBitmap.pixel(0, 0), rgb(144, 0, 0));
}

}  // namespace
}  // namespace dw
