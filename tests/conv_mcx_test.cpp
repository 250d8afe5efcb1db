// The MCX converter and its run: quadruples per 8x1 cell from the records of
// "tablo.dat", the ranking shared with multicolor, the four-mix rendering and
// the ".mcx" file.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <random>

#include "colour/palette.h"
#include "modes/conv_mcx.h"
#include "support/test_support.h"

namespace dw {
namespace {

using Quadruple = std::array<uint8_t, 4>;  // paper 1, ink 1, paper 2, ink 2

// The records repeat to fill all 1708 of "tablo.dat".
void writeTablo(const std::vector<Quadruple>& records)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < gigaTabSize; ++i) {
        const Quadruple& q = records[i % records.size()];
        bytes.insert(bytes.end(), q.begin(), q.end());
    }
    test::writeFile("tablo.dat", bytes);
}

// Random quadruples, each screen's paper and ink of one brightness.
std::vector<Quadruple> variedRecords()
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> colour(0, 7), bright(0, 1);
    std::vector<Quadruple> records;
    for (int i = 0; i < gigaTabSize; ++i) {
        const int b1 = 8 * bright(random), b2 = 8 * bright(random);
        records.push_back({uint8_t(b1 + colour(random)), uint8_t(b1 + colour(random)), uint8_t(b2 + colour(random)),
                           uint8_t(b2 + colour(random))});
    }
    return records;
}

// Every preview pixel is the mix that the two screens' bits and 8x1
// attributes show.
void expectPreviewShowsTheScreens(const TForm1& form)
{
    auto shown = [&](const ScreenBuffer& scr, int x, int y) {
        const uint8_t a = scr[6144 + 32 * y + x / 8];
        const bool ink = scr[32 * y + x / 8] & (128 >> (x % 8));
        return paletteColour(form.palB, form.palG, form.palR, ink ? inkIndex(a) : paperIndex(a));
    };
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            ASSERT_EQ(form.zxBitmap.pixel(x, y), packColour(shown(form.scr1, x, y) + shown(form.scr2, x, y)))
                << x << "," << y;
}

class ConvMcxTest : public ::testing::Test {
protected:
    ConvMcxTest() : harness(false) {}

    // Starts up with these records in "tablo.dat" and a black picture.
    void startWith(const std::vector<Quadruple>& records)
    {
        writeTablo(records);
        form().FormCreate();
        test::fillWork(form(), 0, 0, 0);
        form().mcLevel = 1.0;
    }

    TForm1& form() { return *harness.form; }
    uint8_t attribute1(int column, int y) { return form().scr1[6144 + 32 * y + column]; }
    uint8_t attribute2(int column, int y) { return form().scr2[6144 + 32 * y + column]; }

    test::ScratchDir dir;
    test::Harness harness;
};

// Every record is black / cyan on screen 1 and black / black on screen 2:
// mixes black, cyan, black, cyan. (31, 32, 0) is as near black as cyan
// (63, 63, 0); the tie goes to slot 1, screen 1's ink. Its error (-32, -31, 0)
// goes half right, a quarter below, an eighth below-left and below-right.
TEST_F(ConvMcxTest, PixelHalfwayBetweenTwoMixesTakesSlotOneAndSpreadsItsError)
{
    startWith({{0, 5, 0, 0}});
    form().workB[0][0] = 31, form().workG[0][0] = 32;
    convMCX(form().conversion(form().modeSettings()));

    for (int y = 0; y < screenHeight; ++y)
        for (int c = 0; c < 32; ++c) {
            ASSERT_EQ(attribute1(c, y), 5) << c << "," << y;
            ASSERT_EQ(attribute2(c, y), 0) << c << "," << y;
            ASSERT_EQ(form().scr1[32 * y + c], c == 0 && y == 0 ? 0x80 : 0) << c << "," << y;
            ASSERT_EQ(form().scr2[32 * y + c], 0) << c << "," << y;
        }
    EXPECT_EQ(form().zxBitmap.pixel(0, 0), packColour({63, 63, 0}));
    EXPECT_EQ(form().zxBitmap.pixel(1, 0), 0u);

    struct Share {
        int y, x, blue, green;
    };
    for (const Share& s : {Share{0, 1, -16, -15}, Share{1, 0, -8, -7}, Share{1, -1, -4, -3}, Share{1, 1, -4, -3}}) {
        EXPECT_EQ(form().workB[s.y][s.x], s.blue) << s.x << "," << s.y;
        EXPECT_EQ(form().workG[s.y][s.x], s.green) << s.x << "," << s.y;
    }
    EXPECT_EQ(form().workR[1][0], 0);
}

// On black every record and the start quadruple cost nothing; with equal
// ratios the quota of 8 pairs goes to the highest. The record's two pairs
// have the same index difference and still take part (unlike gigascreen).
TEST_F(ConvMcxTest, BlackPictureWithLimitGivesRecordsToTheHighestSixteenColumns)
{
    startWith({{0, 1, 0, 1}});
    for (bool limit : {true, false}) {
        test::fillWork(form(), 0, 0, 0);
        form().cbLimitMC.checked = limit;
        convMCX(form().conversion(form().modeSettings()));
        for (int y = 0; y < screenHeight; ++y)
            for (int c = 0; c < 32; ++c) {
                const bool record = c >= 16 || !limit;
                ASSERT_EQ(attribute1(c, y), record ? 1 : 7) << limit << " " << c << "," << y;
                ASSERT_EQ(attribute2(c, y), record ? 1 : 71) << limit << " " << c << "," << y;
            }
    }
}

TEST_F(ConvMcxTest, LevelZeroRepeatsTheQuadrupleAboveExceptOnEveryEighthLine)
{
    startWith(variedRecords());
    std::mt19937 random(4);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            for (Plane* plane : {&form().workB, &form().workG, &form().workR}) (*plane)[y][x] = random() % 256;
    form().mcLevel = 0;
    convMCX(form().conversion(form().modeSettings()));
    int eighthLinesChanged = 0;
    for (int y = 1; y < screenHeight; ++y)
        for (int c = 0; c < 32; ++c) {
            const bool same = attribute1(c, y) == attribute1(c, y - 1) && attribute2(c, y) == attribute2(c, y - 1);
            if (y % 8 == 0)
                eighthLinesChanged += !same;
            else
                ASSERT_TRUE(same) << c << "," << y;
        }
    EXPECT_GT(eighthLinesChanged, 0);
}

// With an all-black palette every record looks alike through the palette,
// but against the fixed mixes black / grey 63 / grey 63 / grey 126 matches
// grey 126 exactly and beats the all-black record before it. Rendering uses
// the palette: four equal black slots, so every pixel takes slot 1.
TEST_F(ConvMcxTest, RecordsAreMeasuredAgainstTheFixedMixesButRenderedInThePalette)
{
    startWith({{0, 0, 0, 0}, {0, 7, 0, 7}});
    form().palB.fill(0), form().palG.fill(0), form().palR.fill(0);
    test::fillWork(form(), 126, 126, 126);
    convMCX(form().conversion(form().modeSettings()));
    for (int y = 0; y < screenHeight; ++y)
        for (int c = 0; c < 32; ++c) {
            ASSERT_EQ(attribute1(c, y), 7) << c << "," << y;
            ASSERT_EQ(attribute2(c, y), 7) << c << "," << y;
            ASSERT_EQ(form().scr1[32 * y + c], 0xFF) << c << "," << y;
            ASSERT_EQ(form().scr2[32 * y + c], 0x00) << c << "," << y;
        }
    EXPECT_EQ(form().zxBitmap.pixel(100, 100), 0u);
}

// Blue paper with bright red ink cannot be written as one attribute: the
// cell shows what its attribute holds, normal red ink, and so does the preview.
TEST_F(ConvMcxTest, RecordMixingBrightnessIsPreviewedAsItsAttributesShowIt)
{
    startWith({{1, 10, 0, 0}});
    test::fillWork(form(), 63, 0, 63);
    convMCX(form().conversion(form().modeSettings()));
    EXPECT_EQ(attribute1(0, 0), makeAttribute(1, 10));
    expectPreviewShowsTheScreens(form());
}

// ---- The run -------------------------------------------------------------

// The file holds both screens; the preview is each pixel's mix from both
// screens' 8x1 attributes, and the loader draws the file back as it.
TEST(McxRun, PhotoRoundTripsThroughTheLoaderWithBothScreensAttributes)
{
    test::ScratchDir dir;
    writeTablo(variedRecords());
    std::filesystem::copy_file(test::testdata("photos/kodim20.png"), dir.path() / "photo.png");
    test::Harness harness;
    TForm1& form = *harness.form;
    harness.dialogs.picture = (dir.path() / "photo.png").string();
    form.btOpenClick();
    form.retouchOn = true;
    form.btConvMCXClick();

    EXPECT_FALSE(form.retouchOn);
    EXPECT_TRUE(form.Memo1.lines.back().ends_with(" sec"));
    std::vector<uint8_t> expected(form.scr1.begin(), form.scr1.end());
    expected.insert(expected.end(), form.scr2.begin(), form.scr2.end());
    EXPECT_EQ(test::readFile(dir.path() / "photo.mcx"), expected);
    expectPreviewShowsTheScreens(form);

    const Bitmap preview = form.imTo.picture;
    form.scr1.fill(0), form.scr2.fill(0);
    form.zxBitmap = Bitmap(screenWidth, screenHeight);
    harness.dialogs.screen = (dir.path() / "photo.mcx").string();
    form.ImLoadClick();
    EXPECT_EQ(form.zxBitmap, preview);
}

}  // namespace
}  // namespace dw
