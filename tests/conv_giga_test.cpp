// The gigascreen converter on small pictures with a few records in its
// table, so every attribute, projected pixel and ink share below is worked
// out by hand with the default palette (a plain component 63, a bright one
// 126; a pixel shows the sum of two entries).

#include "modes/conv_giga.h"
#include "support/parts.h"

namespace dw {

void PrintTo(const Colour& c, std::ostream* os) { *os << "(b " << c.b << ", g " << c.g << ", r " << c.r << ")"; }

using test::attrAt;
using test::bitAt;
using test::grey;
using test::Record;

// Parts whose table holds `records` (the rest zero, which the search always
// skips), converted from a picture of `colourAt`.
struct Giga : test::Parts {
    explicit Giga(const std::vector<Record>& records) { setRecords(records); }
    void convert(const std::function<Colour(int x, int y)>& colourAt)
    {
        paint(colourAt);
        convGiga(conversion());
    }
    Colour origAt(int x, int y) const { return {origB[y][x], origG[y][x], origR[y][x]}; }
};

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
    Giga g({{8, 7, 0, 15}});
    g.convert([&](int x, int) { return grey(ramp[(x / 8) % 8].grey); });
    test::expectEveryAttribute(g.scr1, 7), test::expectEveryAttribute(g.scr2, 71);
    for (int y = 0; y < screenHeight; y += 37)
        for (int x = 0; x < screenWidth; ++x) {
            const Step& s = ramp[(x / 8) % 8];
            ASSERT_EQ(g.origAt(x, y), grey(s.projected)) << "grey " << s.grey;
            ASSERT_EQ(std::pair(g.chunkLevel1[y][x], g.chunkLevel2[y][x]), std::pair(s.share1, s.share2)) << "grey " << s.grey;
        }
}

// Flat pictures, every cell alike. On pure bright red (b, g, r) = (0, 0, 126):
// - record 0 (red on screen 1, black on screen 2, both with index difference
//   8) would show the red exactly; it must be skipped for record 1, whose
//   nearest mix is plain red;
// - the keep candidate's nearest mix is grey 63, 11907 per pixel. Record
//   bright white / bright red on screen 1, bright black / bright white on
//   screen 2 shows the red exactly (slot 1), but its centre (126, 126, 189)
//   lies 35721 from the cell's mean, and 32 x 35721 is not below the keep
//   error 64 x 11907: "Palette centering" skips it.
// With one record: a pixel on the plane of the mixes keeps its colour; when
// the two sides a = M1 - M0 and b = M2 - M0 are parallel, the pixel goes onto
// the line through M0 along a (or b), Trunc(d x s) taken in extended
// precision: 63 x double(1/3) and 126 x double(2/3) lie just below 21 and 84
// and truncate to 20 and 83. The shares are not clamped.
TEST(GigaFlatPictures, RecordSearchProjectionAndSharesWorkedOutByHand)
{
    struct Case {
        const char* what;
        std::vector<Record> records;
        bool centering;
        Colour pixel;
        int attr1, attr2;
        std::optional<std::tuple<Colour, int, int>> projectedAndShares;
    };
    const Colour red{0, 0, 126};
    const Case cases[] = {
        {"equal differences", {{2, 10, 0, 8}, {0, 2, 0, 0}}, false, red, 2, 0, {}},
        {"no centering", {{15, 10, 8, 15}}, false, red, 122, 71, {}},
        {"centering", {{15, 10, 8, 15}}, true, red, 7, 71, {}},
        {"blue-green pair", {{0, 1, 0, 4}}, false, {20, 50, 0}, 1, 4, {{{20, 50, 0}, 81, 203}}},
        {"red-blue pair", {{0, 2, 0, 1}}, false, {40, 0, 20}, 2, 1, {{{40, 0, 20}, 81, 162}}},
        {"red-green pair", {{0, 2, 0, 4}}, false, {0, 30, 50}, 2, 4, {{{0, 30, 50}, 203, 121}}},
        // Screen 1 blue / black, screen 2 bright black / bright blue: a = -b / 2.
        {"parallel sides", {{1, 0, 8, 9}}, false, {84, 30, 10}, 8, 65, {{{83, 0, 0}, -81, 0}}},
        // Screen 1 black on black: a = 0, so the line runs along b.
        {"screen 1 flat", {{0, 0, 8, 9}}, false, {84, 30, 10}, 0, 65, {{{83, 0, 0}, 0, 168}}},
        // Plain and bright black on screen 1, blue on blue on screen 2: one mix.
        {"single mix", {{0, 8, 1, 1}}, false, {70, 5, 5}, 0, 9, {{{63, 0, 0}, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Giga g(c.records);
        g.settings.centering = c.centering;
        g.convert([&](int, int) { return c.pixel; });
        test::expectEveryAttribute(g.scr1, c.attr1), test::expectEveryAttribute(g.scr2, c.attr2);
        if (!c.projectedAndShares) continue;
        const auto& [projected, share1, share2] = *c.projectedAndShares;
        EXPECT_EQ(g.origAt(13, 21), projected);
        EXPECT_EQ(std::pair(g.chunkLevel1[21][13], g.chunkLevel2[21][13]), std::pair(share1, share2));
    }
}

// Four black mixes can only win below a row whose record has no black: row 0
// takes blue / blue, magenta; the dark grey rows below the black record.
TEST(GigaRecordSearch, FourBlackMixesWinOnlyBelowARowWithoutBlack)
{
    Giga g({{1, 1, 1, 3}, {0, 8, 8, 0}});
    g.convert([](int, int y) { return y < 8 ? Colour{126, 0, 0} : grey(20); });
    EXPECT_TRUE(attrAt(g.scr1, 0, 0) == 9 && attrAt(g.scr2, 0, 0) == 11);
    for (int y = 8; y < screenHeight; y += 9)
        for (int x = 0; x < screenWidth; x += 7) {
            ASSERT_EQ(attrAt(g.scr1, x, y) * 256 + attrAt(g.scr2, x, y), 64);
            ASSERT_EQ(g.origAt(x, y), grey(0));
            ASSERT_EQ(g.chunkLevel1[y][x] | g.chunkLevel2[y][x], 0);
            ASSERT_EQ(g.zxBitmap.pixel(x, y), 0u);
        }
}

// Record black / plain blue on screen 1, black / plain green on screen 2 and
// the flat colour (b, g, r) = (25, 25, 0): both ink shares are
// Trunc(256 x 25 / 63) = 101. Screen 2 reads the thresholds at (x + 2, y + 3)
// in both matrix sizes; with "5 chunks" (30 / 158 / 222 / 94 at (x & 1, y & 1))
// that gives checkerboards offset by one line.
TEST(GigaOrderedThresholds, ScreenTwoPatternIsScreenOnesShiftedByTwoAndThree)
{
    for (uint8_t chunkMask : {uint8_t{7}, uint8_t{1}}) {
        SCOPED_TRACE(chunkMask);
        Giga g({{0, 1, 0, 4}});
        g.settings.floyd = false;
        g.settings.chunkMask = chunkMask;
        g.convert([](int, int) { return Colour{25, 25, 0}; });
        test::expectEveryAttribute(g.scr1, 1), test::expectEveryAttribute(g.scr2, 4);
        EXPECT_TRUE(g.chunkLevel1[5][9] == 101 && g.chunkLevel2[5][9] == 101);
        int inks = 0;
        for (int y = 0; y + 3 < screenHeight; ++y)
            for (int x = 0; x + 2 < screenWidth; ++x) {
                ASSERT_EQ(bitAt(g.scr2, x, y), bitAt(g.scr1, x + 2, y + 3)) << x << "," << y;
                inks += bitAt(g.scr1, x, y);
            }
        EXPECT_GT(inks, 0);
        for (int y = 0; y < screenHeight && chunkMask == 1; ++y)
            for (int j = 32 * zxline(y); j < 32 * zxline(y) + 32; ++j)
                ASSERT_TRUE(g.scr1[j] == (y % 2 ? 0x55 : 0xAA) && g.scr2[j] == (y % 2 ? 0xAA : 0x55)) << "line " << y;
        }
}

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
        bool levelZero, floyd;
    };
    for (const Case& c : {Case{false, true}, Case{true, true}, Case{true, false}}) {
        SCOPED_TRACE(std::string(c.levelZero ? "level 0" : "level 1") + (c.floyd ? ", Floyd" : ", ordered"));
        Giga g({});
        g.settings.floyd = c.floyd;
        if (c.levelZero) g.levelZero();
        g.convert([](int, int) { return grey(100); });
        if (c.floyd) {
            EXPECT_EQ((std::array{g.workG[0][1], g.workG[0][2], g.workG[1][-1], g.workG[1][0], g.workG[1][1]}),
                      (std::array{86, 110, -3, 99 - 6 + 2, 99 - 3 + 5 - 2 - 15}));
        }
        if (!c.levelZero) {
            EXPECT_EQ(g.zxBitmap.pixel(0, 0), packColour(grey(126)));
            continue;
        }
        for (int i = 0; i < 6144; ++i) ASSERT_TRUE(g.scr1[i] == 0xFF && g.scr2[i] == 0) << "byte " << i;
        EXPECT_EQ(g.zxBitmap.pixel(100, 100), packColour(grey(63)));
    }
}

}  // namespace dw
