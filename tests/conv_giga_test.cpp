// The gigascreen converter and its run. Small pictures use a crafted
// "tablo.dat" of a few records, so every attribute, projected pixel and ink
// share below is worked out by hand with the default palette (a plain
// component 63, a bright one 126; a pixel shows the sum of two entries).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "colour/helpers.h"
#include "colour/palette.h"
#include "modes/conv_giga.h"
#include "support/test_support.h"

namespace dw {

void PrintTo(const Colour& c, std::ostream* os) { *os << "(b " << c.b << ", g " << c.g << ", r " << c.r << ")"; }

namespace {

namespace fs = std::filesystem;
using test::Harness;
using test::ScratchDir;

constexpr int attrBase = 6144;

// Paper and ink colour numbers of screen 1, then of screen 2.
using Record = std::array<uint8_t, 4>;

void writeTablo(const std::vector<Record>& records)
{
    std::vector<uint8_t> bytes;
    for (const Record& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
    test::writeFile("tablo.dat", bytes);
}

Colour grey(int v) { return {v, v, v}; }

// A converter started up in a scratch folder holding the given records;
// records beyond them are zero, which the search always skips.
struct GigaFixture {
    ScratchDir dir;
    std::unique_ptr<Harness> harness;

    explicit GigaFixture(const std::vector<Record>& records)
    {
        writeTablo(records);
        harness = std::make_unique<Harness>();
    }
    TForm1& form() { return *harness->form; }

    // The converter as the run calls it: the reference planes copy the picture.
    void convert(const std::function<Colour(int x, int y)>& colourAt)
    {
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) {
                const Colour c = colourAt(x, y);
                form().workB[y][x] = c.b, form().workG[y][x] = c.g, form().workR[y][x] = c.r;
            }
        form().copyWorkToOrig();
        convGiga(form().conversion(form().modeSettings()));
    }
};

int bitOf(const ScreenBuffer& scr, int x, int y) { return (scr[32 * zxline(y) + x / 8] >> (7 - x % 8)) & 1; }
int attrOf(const ScreenBuffer& scr, int x, int y) { return scr[attrBase + 32 * (y / 8) + x / 8]; }
Colour origAt(const TForm1& f, int x, int y) { return {f.origB[y][x], f.origG[y][x], f.origR[y][x]}; }

void expectAllAttributes(const TForm1& f, int attr1, int attr2)
{
    for (int i = 0; i < 768; ++i) {
        ASSERT_EQ(f.scr1[attrBase + i], attr1) << "cell " << i;
        ASSERT_EQ(f.scr2[attrBase + i], attr2) << "cell " << i;
    }
}

// Every preview pixel shows the mix its two bits select from its cell.
void expectPreviewMatchesScreens(const TForm1& f)
{
    auto shown = [&](const ScreenBuffer& scr, int x, int y) {
        const int a = attrOf(scr, x, y);
        return paletteColour(f.palB, f.palG, f.palR, bitOf(scr, x, y) ? inkIndex(a) : paperIndex(a));
    };
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            ASSERT_EQ(f.zxBitmap.pixel(x, y), packColour(shown(f.scr1, x, y) + shown(f.scr2, x, y))) << x << "," << y;
}

// ---- Start attributes and the line case --------------------------------------

// Every cell keeps paper black / ink white on screen 1 and bright black /
// bright white on screen 2: greys 0, 63, 126 and 189 on a line. The only
// record shows the same greys with the screens' papers swapped, so it ties
// with the keep candidate and loses. Each column of cells is one grey.
TEST(GigaLineCase, GreyRampSplitsIntoThirdsUnderTheStartAttributes)
{
    struct Step {
        int grey, projected, share1, share2;
    };
    const Step ramp[8] = {{0, 0, 0, 0},        {30, 30, 122, 0},    {63, 63, 255, 0},     {100, 99, 255, 73},
                          {126, 125, 255, 125}, {170, 169, 174, 255}, {189, 189, 255, 255}, {255, 254, 255, 255}};
    GigaFixture g({{8, 7, 0, 15}});
    g.convert([&](int x, int) { return grey(ramp[(x / 8) % 8].grey); });
    const TForm1& f = g.form();
    expectAllAttributes(f, 7, 71);
    for (int y = 0; y < screenHeight; y += 37)
        for (int x = 0; x < screenWidth; ++x) {
            const Step& s = ramp[(x / 8) % 8];
            ASSERT_EQ(origAt(f, x, y), grey(s.projected)) << "grey " << s.grey;
            ASSERT_EQ(f.chunkLevel1[y][x], s.share1) << "grey " << s.grey;
            ASSERT_EQ(f.chunkLevel2[y][x], s.share2) << "grey " << s.grey;
        }
    expectPreviewMatchesScreens(f);
}

// ---- Record search ------------------------------------------------------------

// On pure bright red (b, g, r) = (0, 0, 126):
// - record 0 (red on screen 1, black on screen 2, both with index difference
//   8) would show the red exactly; it must be skipped for record 1, whose
//   nearest mix is plain red;
// - the keep candidate's nearest mix is grey 63, 11907 per pixel. Record
//   bright white / bright red on screen 1, bright black / bright white on
//   screen 2 shows the red exactly (slot 1), but its centre (126, 126, 189)
//   lies 35721 from the cell's mean, and 32 x 35721 is not below the keep
//   error 64 x 11907: "Palette centering" skips it.
TEST(GigaRecordSearch, SkipsEqualIndexDifferencesAndWithCenteringFarCentres)
{
    struct Case {
        const char* what;
        std::vector<Record> records;
        bool centering;
        int attr1, attr2;
    };
    const Case cases[] = {{"equal differences", {{2, 10, 0, 8}, {0, 2, 0, 0}}, false, 2, 0},
                          {"no centering", {{15, 10, 8, 15}}, false, 122, 71},
                          {"centering", {{15, 10, 8, 15}}, true, 7, 71}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GigaFixture g(c.records);
        g.form().cbMCFilter.checked = c.centering;
        g.convert([](int, int) { return Colour{0, 0, 126}; });
        expectAllAttributes(g.form(), c.attr1, c.attr2);
    }
}

// ---- Ordered thresholds, "5 chunks" and the dithering band -------------------

// Record black / plain blue on screen 1, black / plain green on screen 2 and
// the flat colour (b, g, r) = (25, 25, 0): both ink shares are
// Trunc(256 x 25 / 63) = 101. Screen 2 reads the thresholds at (x + 2, y + 3)
// in both matrix sizes; with "5 chunks" (30 / 158 / 222 / 94 at (x & 1, y & 1))
// that gives checkerboards offset by one line.
TEST(GigaOrderedThresholds, ScreenTwoPatternIsScreenOnesShiftedByTwoAndThree)
{
    for (uint8_t chunkMask : {uint8_t{7}, uint8_t{1}}) {
        SCOPED_TRACE(chunkMask);
        GigaFixture g({{0, 1, 0, 4}});
        TForm1& f = g.form();
        f.setChecked(f.cbDith, false);
        f.chunkMask = chunkMask;
        g.convert([](int, int) { return Colour{25, 25, 0}; });
        expectAllAttributes(f, 1, 4);
        EXPECT_EQ(f.chunkLevel1[5][9], 101);
        EXPECT_EQ(f.chunkLevel2[5][9], 101);
        int inks = 0;
        for (int y = 0; y + 3 < screenHeight; ++y)
            for (int x = 0; x + 2 < screenWidth; ++x) {
                ASSERT_EQ(bitOf(f.scr2, x, y), bitOf(f.scr1, x + 2, y + 3)) << x << "," << y;
                inks += bitOf(f.scr1, x, y);
            }
        EXPECT_GT(inks, 0);
        if (chunkMask == 1)
            for (int y = 0; y < screenHeight; ++y)
                for (int j = 0; j < 32; ++j) {
                    ASSERT_EQ(f.scr1[32 * zxline(y) + j], y % 2 ? 0x55 : 0xAA) << "line " << y;
                    ASSERT_EQ(f.scr2[32 * zxline(y) + j], y % 2 ? 0xAA : 0x55) << "line " << y;
                }
        EXPECT_FALSE(f.retouchOn);
        expectPreviewMatchesScreens(f);
    }
}

// ---- The dithering band and the error kernel -----------------------------------

// Grey 100 under the start attributes (greys 0, 63, 126, 189) projects to 99,
// shares 255 and 73. (0,0): nearest 126, error -27: right gets -13, below -6,
// below-left -3, below-right -3. (1,0) = 86: nearest 63, error 23. (2,0) = 110:
// nearest 126, error -16. (0,1) = 95: nearest 126, error -31. At level 0 the
// band is 128..127, so screen 1 is ink and screen 2 paper everywhere, whatever
// the slot choice, and the preview is grey 63; the error is still measured
// against the nearest mix.
TEST(GigaDitheringBand, LevelZeroDecidesByTheSharesAloneButTheKernelUsesTheNearestMix)
{
    struct Case {
        const char* level;
        bool floyd;
    };
    for (const Case& c : {Case{"1.0", true}, Case{"0", true}, Case{"0", false}}) {
        SCOPED_TRACE(std::string("level ") + c.level + (c.floyd ? ", Floyd" : ", ordered"));
        GigaFixture g({});
        TForm1& f = g.form();
        f.setChecked(f.cbDith, c.floyd);
        f.setText(f.edDithLevel, c.level);
        g.convert([](int, int) { return grey(100); });
        if (c.floyd) {
            EXPECT_EQ(f.workG[0][1], 86);
            EXPECT_EQ(f.workG[0][2], 110);
            EXPECT_EQ(f.workG[1][-1], -3);
            EXPECT_EQ(f.workG[1][0], 99 - 6 + 2);
            EXPECT_EQ(f.workG[1][1], 99 - 3 + 5 - 2 - 15);
        }
        if (c.level[0] != '0') {
            EXPECT_EQ(f.zxBitmap.pixel(0, 0), packColour(grey(126)));
            continue;
        }
        for (int i = 0; i < 6144; ++i) {
            ASSERT_EQ(f.scr1[i], 0xFF) << "byte " << i;
            ASSERT_EQ(f.scr2[i], 0x00) << "byte " << i;
        }
        EXPECT_EQ(f.zxBitmap.pixel(100, 100), packColour(grey(63)));
    }
}

// ---- One record: projection and ink shares --------------------------------------

struct OneRecordCase {
    const char* what;
    Record record;
    Colour pixel;
    Colour projected;
    int share1, share2;
};

// Worked out by hand. A pixel on the plane of the mixes keeps its colour; when
// the two sides a = M1 - M0 and b = M2 - M0 are parallel, the pixel goes onto
// the line through M0 along a (or b), Trunc(d x s) taken in extended
// precision: 63 x double(1/3) and 126 x double(2/3) lie just below 21 and 84
// and truncate to 20 and 83. The shares are not clamped.
const OneRecordCase oneRecordCases[] = {
    {"blue / green: blue-green pair", {0, 1, 0, 4}, {20, 50, 0}, {20, 50, 0}, 81, 203},
    {"red / blue: red-blue pair", {0, 2, 0, 1}, {40, 0, 20}, {40, 0, 20}, 81, 162},
    {"red / green: red-green pair", {0, 2, 0, 4}, {0, 30, 50}, {0, 30, 50}, 203, 121},
    // Screen 1 blue / black, screen 2 bright black / bright blue: a = -b / 2.
    {"parallel sides", {1, 0, 8, 9}, {84, 30, 10}, {83, 0, 0}, -81, 0},
    // Screen 1 black on black: a = 0, so the line runs along b.
    {"screen 1 flat", {0, 0, 8, 9}, {84, 30, 10}, {83, 0, 0}, 0, 168},
    // Plain and bright black on screen 1, blue on blue on screen 2: one mix.
    {"single mix", {0, 8, 1, 1}, {70, 5, 5}, {63, 0, 0}, 0, 0},
};

TEST(GigaOneRecord, ProjectionAndSharesForEveryShapeOfTheMixes)
{
    for (const OneRecordCase& c : oneRecordCases) {
        GigaFixture g({c.record});
        g.convert([&](int, int) { return c.pixel; });
        const TForm1& f = g.form();
        EXPECT_EQ(attrOf(f.scr1, 0, 0), makeAttribute(c.record[0], c.record[1])) << c.what;
        EXPECT_EQ(attrOf(f.scr2, 0, 0), makeAttribute(c.record[2], c.record[3])) << c.what;
        EXPECT_EQ(origAt(f, 13, 21), c.projected) << c.what;
        EXPECT_EQ(f.chunkLevel1[21][13], c.share1) << c.what;
        EXPECT_EQ(f.chunkLevel2[21][13], c.share2) << c.what;
    }
}

// Four black mixes (M3 = M0 on a line) can only win below a row whose record
// has no black: row 0 takes blue / blue, magenta (pure bright blue pixels);
// the dark grey rows below take the black record.
TEST(GigaLineCase, AllBlackRecordProjectsToBlackWithZeroShares)
{
    GigaFixture g({{1, 1, 1, 3}, {0, 8, 8, 0}});
    g.convert([](int, int y) { return y < 8 ? Colour{126, 0, 0} : grey(20); });
    const TForm1& f = g.form();
    EXPECT_EQ(attrOf(f.scr1, 0, 0), 9);
    EXPECT_EQ(attrOf(f.scr2, 0, 0), 11);
    for (int y = 8; y < screenHeight; y += 9)
        for (int x = 0; x < screenWidth; x += 7) {
            ASSERT_EQ(attrOf(f.scr1, x, y), 0);
            ASSERT_EQ(attrOf(f.scr2, x, y), 64);
            ASSERT_EQ(origAt(f, x, y), grey(0));
            ASSERT_EQ(f.chunkLevel1[y][x], 0);
            ASSERT_EQ(f.chunkLevel2[y][x], 0);
            ASSERT_EQ(f.zxBitmap.pixel(x, y), 0u);
        }
}

// ---- The run and its files ------------------------------------------------------

std::vector<uint8_t> bytesOf(const ScreenBuffer& scr, size_t from, size_t count)
{
    return {scr.begin() + from, scr.begin() + from + count};
}

// The layouts themselves have their own tests; here the check boxes choose
// one of them, and the copies for the brush are taken.
TEST(GigaRun, WritesImgEmgOrChrsByTheCheckBoxes)
{
    struct Case {
        bool eco, chrs, floyd;
        std::string extension;
        size_t size;
    };
    for (const Case& c : {Case{false, false, true, ".img", 13824}, Case{true, false, true, ".emg", 7680},
                          Case{false, true, true, ".ch$", 13831}, Case{true, true, true, ".emg", 7680},
                          Case{false, false, false, ".img", 13824}}) {
        SCOPED_TRACE(c.extension);
        ScratchDir dir;  // before any picture: "noname" in the current folder
        Harness run;
        TForm1& f = *run.form;
        f.setChecked(f.cbDith, c.floyd);
        f.cbEcoImg.checked = c.eco;
        f.cbCHRS.checked = c.chrs;
        f.btConvGigaClick();
        const std::vector<uint8_t> file = test::readFile("noname" + c.extension);
        ASSERT_EQ(file.size(), c.size);
        for (const std::string other : {".img", ".emg", ".ch$"})
            EXPECT_EQ(fs::exists("noname" + other), other == c.extension) << other;
        if (c.eco) {
            EXPECT_EQ(file, std::vector<uint8_t>(f.emgBuf.begin(), f.emgBuf.end()));
        }
        EXPECT_TRUE(f.gigaShown);
        EXPECT_EQ(f.scr1Conv, f.scr1);
        EXPECT_EQ(f.scr2Conv, f.scr2);
        EXPECT_EQ(f.imTo.picture, f.zxBitmap);
        EXPECT_TRUE(f.Memo1.lines.back().ends_with(" sec"));
    }
}

TEST(GigaRun, PaletteFromActFileIsGoneAfterTheRun)
{
    ScratchDir dir;
    Harness run;
    TForm1& f = *run.form;
    fs::copy_file(test::testdata("act/16pal_v20.act"), "16pal.act");
    run.dialogs.palette = fs::absolute("16pal.act").string();
    f.Button2Click();
    ASSERT_NE(f.palR, defaultPalR);
    f.btConvGigaClick();
    EXPECT_EQ(f.palB, defaultPalB);
    EXPECT_EQ(f.palG, defaultPalG);
    EXPECT_EQ(f.palR, defaultPalR);
    expectPreviewMatchesScreens(f);
}

// A photo with the shipped records: each cell shows the start attributes or a
// record the search may choose. The ".img" loads back unchanged; the ".emg"
// code keeps the attributes, and solid 8x2 strips come back exactly (the ink
// counts of other blocks are the code tables' own tests).
TEST(GigaRun, PhotoCellsShowTheirRecordsAndImgAndEmgLoadBack)
{
    ScratchDir dir;
    for (const char* name : {"tablo.dat", "code256.dat", "deco256.dat"}) fs::copy_file(fs::path(DW_DATA) / name, name);
    fs::copy_file(test::testdata("photos/skimage_chelsea.png"), "chelsea.png");
    Harness run;
    TForm1& f = *run.form;
    run.dialogs.picture = fs::absolute("chelsea.png").string();
    f.btOpenClick();
    for (bool eco : {false, true}) {
        SCOPED_TRACE(eco ? ".emg" : ".img");
        f.cbEcoImg.checked = eco;
        f.btConvGigaClick();
        std::set<std::pair<int, int>> allowed = {{7, 71}};
        for (const auto& e : f.gigaTab)
            if (e[1] - e[0] != e[3] - e[2]) allowed.insert({makeAttribute(e[0], e[1]), makeAttribute(e[2], e[3])});
        for (int cell = 0; cell < 768; ++cell)
            ASSERT_TRUE(allowed.count({f.scr1[attrBase + cell], f.scr2[attrBase + cell]})) << "cell " << cell;
        expectPreviewMatchesScreens(f);

        const ScreenBuffer scr1 = f.scr1, scr2 = f.scr2;
        const Bitmap shown = f.zxBitmap;
        f.scr1.fill(0x5A), f.scr2.fill(0xA5);
        run.dialogs.screen = f.outBase + (eco ? ".emg" : ".img");
        f.ImLoadClick();
        EXPECT_EQ(bytesOf(f.scr1, 6144, 768), bytesOf(scr1, 6144, 768));
        EXPECT_EQ(bytesOf(f.scr2, 6144, 768), bytesOf(scr2, 6144, 768));
        if (!eco) {
            EXPECT_EQ(bytesOf(f.scr1, 0, 6144), bytesOf(scr1, 0, 6144));
            EXPECT_EQ(bytesOf(f.scr2, 0, 6144), bytesOf(scr2, 0, 6144));
            EXPECT_EQ(f.zxBitmap, shown);
            continue;
        }
        int solid = 0;
        for (const auto& [converted, loaded] : {std::pair{&scr1, &f.scr1}, std::pair{&scr2, &f.scr2}})
            for (int y = 0; y < screenHeight; y += 2)
                for (int c = 0; c < 32; ++c) {
                    const int upper = 32 * zxline(y) + c, lower = 32 * zxline(y + 1) + c;
                    const uint8_t u = (*converted)[upper], v = (*converted)[lower];
                    if (u != v || (u != 0 && u != 0xFF)) continue;
                    ++solid;
                    ASSERT_EQ((*loaded)[upper], u) << "line " << y << " column " << c;
                    ASSERT_EQ((*loaded)[lower], v) << "line " << y << " column " << c;
                }
        EXPECT_GT(solid, 0);
    }
}

}  // namespace
}  // namespace dw
