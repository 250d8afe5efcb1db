// The multicolor converter and its run: attribute choice per 8x1 cell, the
// column-pair ranking and quota, the error kernel, and the ".mc" file.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "colour/colour.h"
#include "modes/conv_mc.h"
#include "support/test_support.h"

namespace dw {
namespace {

class ConvMcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::fillWork(form(), 0, 0, 0);
        form().mcLevel = 1.0;
    }

    TForm1& form() { return *harness.form; }
    uint8_t attribute(int column, int y) { return form().scr2[32 * y + column]; }
    uint8_t bitmapByte(int column, int y) { return form().scr1[32 * y + column]; }
    void setPixel(int x, int y, int b, int g, int r)
    {
        form().workB[y][x] = b, form().workG[y][x] = g, form().workR[y][x] = r;
    }

    void fillRandom(unsigned seed)
    {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> level(0, 255);
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) setPixel(x, y, level(random), level(random), level(random));
    }

    test::ScratchDir dir;
    test::Harness harness;
};

// On a black picture the start pair (0, 7) and the first candidate (0, 1) both
// cost nothing, so every ratio is 1: the quota goes to the highest pairs.
// Odd lines take the bright grey pair; other lines keep the line above.
TEST_F(ConvMcTest, BlackPictureWithLimitGivesNewPairsToTheHighestSixteenColumns)
{
    form().cbLimitMC.checked = true;
    convMC(form().conversion(form().modeSettings()));
    for (int y = 0; y < screenHeight; ++y)
        for (int c = 0; c < 32; ++c) {
            const int expected = y % 8 != 0 ? 71 : c >= 16 ? 1 : y == 0 ? 7 : 71;
            ASSERT_EQ(attribute(c, y), expected) << "column " << c << " line " << y;
            ASSERT_EQ(bitmapByte(c, y), 0);
        }
}

TEST_F(ConvMcTest, EvenMcPutsTheGreyPairOnEveryOddLineEvenWithLimit)
{
    form().cbLimitMC.checked = true;
    for (bool brightGrey : {true, false}) {
        fillRandom(1);
        form().cbBrightGrey.checked = brightGrey;
        convMC(form().conversion(form().modeSettings()));
        for (int y = 1; y < screenHeight; y += 2)
            for (int c = 0; c < 32; ++c) ASSERT_EQ(attribute(c, y), brightGrey ? 71 : 7) << c << "," << y;
    }
}

TEST_F(ConvMcTest, LevelZeroRepeatsTheLineAboveExceptOnEveryEighthLine)
{
    fillRandom(3);
    form().cbEvenMC.checked = false;
    form().mcLevel = 0;
    convMC(form().conversion(form().modeSettings()));
    int eighthLinesChanged = 0;
    for (int y = 1; y < screenHeight; ++y)
        for (int c = 0; c < 32; ++c) {
            if (y % 8 == 0)
                eighthLinesChanged += attribute(c, y) != attribute(c, y - 1);
            else
                ASSERT_EQ(attribute(c, y), attribute(c, y - 1)) << "column " << c << " line " << y;
        }
    EXPECT_GT(eighthLinesChanged, 0);
}

// Pure red in columns 0 and 1 gains far more from a new pair than the black
// elsewhere, so pair 0 is rendered first, then pairs 15..9 by the tie rule.
TEST_F(ConvMcTest, HighestRatioTakesTheQuotaFirstThenTheHigherPairs)
{
    for (int x = 0; x < 16; ++x) setPixel(x, 0, 0, 0, 126);
    form().cbLimitMC.checked = true;
    convMC(form().conversion(form().modeSettings()));
    for (int c = 0; c < 32; ++c) EXPECT_EQ(attribute(c, 0), c < 2 ? 2 : c >= 18 ? 1 : 7) << "column " << c;
    EXPECT_EQ(bitmapByte(0, 0), 0xFF);
    EXPECT_EQ(bitmapByte(1, 0), 0xFF);
}

// Every cell of line 0 is grey 60, six blacks, grey 50, all on black and
// grey 126. Alone a cell stays paper; with the share 25 that grey 50 pushes
// right, its first pixel turns ink. Equal ratios render pair 15 first, so
// only the odd column of each pair receives the share from its left.
TEST_F(ConvMcTest, EqualRatiosRenderTheHigherPairFirst)
{
    for (int c = 0; c < 32; ++c) setPixel(8 * c, 0, 60, 60, 60), setPixel(8 * c + 7, 0, 50, 50, 50);
    convMC(form().conversion(form().modeSettings()));
    for (int c = 0; c < 32; ++c) {
        EXPECT_EQ(attribute(c, 0), 7) << "column " << c;
        EXPECT_EQ(bitmapByte(c, 0), c % 2 ? 0x80 : 0x00) << "column " << c;
    }
}

// Keep pair (0, 1) costs 990 on line 1; the best candidate (0, 7) costs 692.
// 990 * double(0.7) is 692.99999... in extended precision but 693 in double.
TEST_F(ConvMcTest, LevelThresholdTruncatesTheExtendedProduct)
{
    form().cbEvenMC.checked = false;
    for (double level : {0.7, 0.71}) {
        test::fillWork(form(), 0, 0, 0);
        for (int c = 0; c < 32; ++c) setPixel(8 * c, 1, 53, 19, 23);
        form().mcLevel = level;
        convMC(form().conversion(form().modeSettings()));
        for (int c = 0; c < 32; ++c) EXPECT_EQ(attribute(c, 1), level == 0.7 ? 1 : 7) << level << " column " << c;
    }
    EXPECT_EQ(lineThreshold(1, 10, 0.7), 6);
    EXPECT_EQ(lineThreshold(3, 1000, 1e300), 4000000000000000000);  // held, not overflowing
}

// Grey 40 at (0, 191) on black: pair (0, 7), all paper; the errors 40, 20,
// 10, 5, 2, 1 go half right, a quarter below and a thirty-second under the
// whole cell, into the margin line 192.
TEST_F(ConvMcTest, ErrorGoesHalfRightAQuarterBelowAndAThirtySecondUnderTheCell)
{
    form().cbEvenMC.checked = false;
    setPixel(0, 191, 40, 40, 40);
    convMC(form().conversion(form().modeSettings()));
    EXPECT_EQ(attribute(0, 191), 7);
    EXPECT_EQ(bitmapByte(0, 191), 0);
    const int right[8] = {40, 20, 10, 5, 2, 1, 0, 0};
    const int below[10] = {0, 11, 6, 3, 2, 1, 1, 1, 1, 0};  // x = -1 .. 8
    for (int x = 0; x < 8; ++x) EXPECT_EQ(form().workG[191][x], right[x]) << "x " << x;
    for (int x = -1; x < 9; ++x) {
        EXPECT_EQ(form().workB[192][x], below[x + 1]) << "x " << x;
        EXPECT_EQ(form().workR[192][x], below[x + 1]) << "x " << x;
    }
}

// (60, 40, 20) takes black and cyan; projected it becomes (50, 50, 0).
TEST_F(ConvMcTest, ProjectingMovesTheCellOntoItsPaperInkSegmentFirst)
{
    form().cbEvenMC.checked = false;
    form().cbProjecting.checked = true;
    setPixel(0, 191, 60, 40, 20);
    convMC(form().conversion(form().modeSettings()));
    EXPECT_EQ(attribute(0, 191), 5);
    EXPECT_EQ((Colour{form().workB[191][0], form().workG[191][0], form().workR[191][0]}), (Colour{50, 50, 0}));
    const int below[8] = {13, 7, 4, 2, 1, 1, 1, 1};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(form().workG[192][x], below[x]) << "x " << x;
        EXPECT_EQ(form().workR[192][x], 0) << "x " << x;
    }
}

// Grey 127 takes black and grey 126: nearer the ink as it stands, but the
// band of level 0 makes every channel 0 (below 128) before the choice.
TEST_F(ConvMcTest, DitheringLevelZeroForcesChannelsToTheExtremesBeforeTheChoice)
{
    for (const char* level : {"1.0", "0"}) {
        form().setText(form().edDithLevel, level);
        test::fillWork(form(), 0, 0, 0);
        for (int x = 0; x < screenWidth; ++x) setPixel(x, 0, 127, 127, 127);
        convMC(form().conversion(form().modeSettings()));
        for (int c = 0; c < 32; ++c) {
            ASSERT_EQ(attribute(c, 0), 7) << level << " column " << c;
            ASSERT_EQ(bitmapByte(c, 0), level[0] == '0' ? 0x00 : 0xFF) << level << " column " << c;
        }
    }
}

// ---- The run -------------------------------------------------------------

TEST(McRun, BeforeAnyPictureWritesNonameMcOfTheWhitePicture)
{
    test::ScratchDir dir;
    test::Harness harness;
    TForm1& form = *harness.form;
    form.retouchOn = true;
    form.btConvMCClick();
    std::vector<uint8_t> expected(6144, 0xFF);
    expected.resize(12288, 71);
    EXPECT_EQ(test::readFile(dir.path() / "noname.mc"), expected);
    EXPECT_FALSE(form.retouchOn);
    EXPECT_EQ(form.imTo.picture, form.zxBitmap);
    ASSERT_FALSE(form.Memo1.lines.empty());
    EXPECT_TRUE(form.Memo1.lines.back().ends_with(" sec"));
}

// The file holds both buffers, and the loader (whose drawing has its own
// tests) draws it back as the run's preview.
TEST(McRun, PhotoRoundTripsThroughTheLoader)
{
    test::ScratchDir dir;
    std::filesystem::copy_file(test::testdata("photos/kodim05.png"), dir.path() / "photo.png");
    test::Harness harness;
    TForm1& form = *harness.form;
    harness.dialogs.picture = (dir.path() / "photo.png").string();
    form.btOpenClick();
    form.btConvMCClick();

    std::vector<uint8_t> expected(form.scr1.begin(), form.scr1.begin() + 6144);
    expected.insert(expected.end(), form.scr2.begin(), form.scr2.begin() + 6144);
    EXPECT_EQ(test::readFile(dir.path() / "photo.mc"), expected);

    const Bitmap preview = form.imTo.picture;
    form.zxBitmap = Bitmap(screenWidth, screenHeight);
    harness.dialogs.screen = (dir.path() / "photo.mc").string();
    form.ImLoadClick();
    EXPECT_EQ(form.zxBitmap, preview);
}

}  // namespace
}  // namespace dw
