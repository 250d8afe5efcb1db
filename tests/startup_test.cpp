// Start-up: initial state, the table files (missing, short, found in a
// fallback folder) and the dithering band that follows its edit.

#include <gtest/gtest.h>

#include "colour/mix_table.h"
#include "colour/palette.h"
#include "core/number_text.h"
#include "support/test_support.h"

namespace dw {
namespace {

using test::Harness;
using test::ScratchDir;

// A converter started in an empty folder with no fallback folders.
struct Started {
    ScratchDir dir;
    Harness h{false};
    TForm1& form = *h.form;
    explicit Started(std::vector<std::string> folders = {})
    {
        form.tableFolders = std::move(folders);
    }
};

// A missing or short table is named at start-up, and every run that needs
// it writes nothing instead of a blank screen; the others still run.
TEST(StartUp, UnreadTablesAreReportedAndTheRunsThatNeedThemWriteNothing)
{
    Started s;
    TForm1& f = s.form;
    test::writeFile("tablo.dat", {1, 2, 12, 15});
    f.FormCreate();
    const auto& lines = f.Memo1.lines;
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"cannot read code256.dat: not found", "cannot read deco256.dat: not found",
                                        "cannot read tablo.dat: only 4 of 6832 bytes"}));
    f.btConvGigaClick();
    EXPECT_EQ(lines.back(), "nothing written: tablo.dat could not be read");
    f.btConvMCXClick();
    EXPECT_EQ(lines.back(), "nothing written: tablo.dat could not be read");
    f.btConv6912Click();
    EXPECT_TRUE(std::filesystem::exists("noname.scr"));

    test::writeFile("tablo.dat", std::vector<uint8_t>(6832, 1));
    f.FormCreate();
    f.setChecked(f.cbEcoImg, true);
    f.btConvGigaClick();
    EXPECT_EQ(lines.back(), "nothing written: code256.dat could not be read");
    f.setChecked(f.cbEcoImg, false);
    f.btConvGigaClick();
    EXPECT_TRUE(std::filesystem::exists("noname.img"));
    EXPECT_FALSE(std::filesystem::exists("noname.mcx") || std::filesystem::exists("noname.emg"));
}

TEST(StartUp, InitialStateIsAsTheWindowShowsIt)
{
    Started s({DW_DATA});
    TForm1& f = s.form;
    f.FormCreate();
    EXPECT_EQ(f.outBase, "noname");
    EXPECT_EQ(f.picName, "");
    EXPECT_EQ(f.palName, "");
    EXPECT_FALSE(f.retouchOn);
    EXPECT_FALSE(f.btSaveDraw.enabled);
    EXPECT_EQ(f.palB, defaultPalB);
    EXPECT_EQ(f.palG, defaultPalG);
    EXPECT_EQ(f.palR, defaultPalR);
    EXPECT_EQ(f.dithLo, 0);
    EXPECT_EQ(f.dithHi, 255);
    for (const Bitmap* b : {&f.zxBitmap, &f.modelBitmap, &f.layer1Bitmap, &f.layer2Bitmap, &f.imTo.picture}) {
        EXPECT_EQ(b->width(), 256);
        EXPECT_EQ(b->height(), 192);
    }
    // The first preparation decoded the empty name once.
    EXPECT_EQ(f.loadedName, "");
    EXPECT_EQ(f.Memo1.lines.size(), 7u);
}

TEST(StartUp, ReadsTablesFromTheWorkingDirectoryAndDerivesMixes)
{
    Started s;
    std::vector<uint8_t> code(625), deco(512);
    for (int i = 0; i < 625; ++i) code[i] = static_cast<uint8_t>(i * 7);
    for (int i = 0; i < 512; ++i) deco[i] = static_cast<uint8_t>(255 - i);
    test::writeFile("code256.dat", code);
    test::writeFile("deco256.dat", deco);
    // Record 0: paper1 blue(1), ink1 red(2), paper2 bright green(12), ink2 bright white(15).
    // Record 1 is cut short after two bytes.
    test::writeFile("tablo.dat", {1, 2, 12, 15, 9, 10});
    s.form.FormCreate();

    EXPECT_EQ(s.form.codeTab[624], static_cast<uint8_t>(624 * 7));
    EXPECT_EQ(s.form.decoTab[0][0], 255);
    EXPECT_EQ(s.form.decoTab[1][0], static_cast<uint8_t>(255 - 256));
    const auto& e = s.form.gigaTab[0];
    auto mixOf = [](int index) { return std::array<int, 3>{mixTable[index].r, mixTable[index].g, mixTable[index].b}; };
    // blue + bright green = (r 0, g 126, b 63)
    EXPECT_EQ(mixOf(e[4]), (std::array<int, 3>{0, 126, 63}));
    // red + bright green = (63, 126, 0)
    EXPECT_EQ(mixOf(e[5]), (std::array<int, 3>{63, 126, 0}));
    // blue + bright white = (126, 126, 189)
    EXPECT_EQ(mixOf(e[6]), (std::array<int, 3>{126, 126, 189}));
    // red + bright white = (189, 126, 126)
    EXPECT_EQ(mixOf(e[7]), (std::array<int, 3>{189, 126, 126}));
    // The short record keeps zeros where the file ended; its mixes are still derived.
    const auto& cut = s.form.gigaTab[1];
    EXPECT_EQ((std::array<int, 4>{cut[0], cut[1], cut[2], cut[3]}), (std::array<int, 4>{9, 10, 0, 0}));
    EXPECT_EQ(mixOf(cut[4]), (std::array<int, 3>{0, 0, 126}));  // bright blue + black
    EXPECT_EQ(mixOf(cut[7]), (std::array<int, 3>{126, 0, 0}));  // bright red + black
    EXPECT_EQ(s.form.gigaTab[2][4], blackMix);
}

TEST(StartUp, FallsBackToOtherFoldersForMissingTables)
{
    ScratchDir elsewhere;
    test::writeFile(elsewhere.path() / "tablo.dat", {7, 7, 7, 7});
    Started s({elsewhere.path().string()});
    s.form.FormCreate();
    EXPECT_EQ(s.form.gigaTab[0][0], 7);
    EXPECT_EQ(mixTable[s.form.gigaTab[0][4]].r, 126);
}

TEST(StartUp, DamagedRecordsStayInsideThePalette)
{
    Started s;
    test::writeFile("tablo.dat", {0xFF, 0x10, 3, 4});
    s.form.FormCreate();
    const auto& e = s.form.gigaTab[0];
    for (int k = 0; k < 4; ++k) EXPECT_LT(e[k], 16);
    for (int k = 4; k < 8; ++k) EXPECT_LT(e[k], mixCount);
}

TEST(DitheringLevel, ClampsAndKeepsTheLevelOnBadText)
{
    Started s;
    TForm1& f = s.form;
    f.FormCreate();
    struct Case {
        const char* text;
        double level;
        int lo, hi;
    };
    for (const Case& c : {Case{"2", 1.0, 0, 255}, Case{"-1", 0.0, 128, 127}, Case{"0.5", 0.5, 64, 191},
                          Case{"abc", 0.5, 64, 191}, Case{"0.3", 0.3, 89, 165}}) {
        f.setText(f.edDithLevel, c.text);
        EXPECT_EQ(f.dithLevel, c.level) << c.text;
        EXPECT_EQ(f.dithLo, c.lo) << c.text;
        EXPECT_EQ(f.dithHi, c.hi) << c.text;
    }
}

TEST(Names, AreCutTo255Bytes)
{
    EXPECT_EQ(cutName(std::string(300, 'a')).size(), 255u);
    EXPECT_EQ(cutName("short"), "short");
}

TEST(NumberText, ParsesDecimalsAndFormatsTheGeneralWay)
{
    EXPECT_EQ(parseDecimal("1.25"), 1.25);
    EXPECT_EQ(parseDecimal(" -3 "), -3.0);
    EXPECT_EQ(parseDecimal(".5"), 0.5);
    EXPECT_EQ(parseDecimal("1e3"), 1000.0);
    EXPECT_FALSE(parseDecimal(""));
    EXPECT_FALSE(parseDecimal("1,5"));
    EXPECT_FALSE(parseDecimal("abc"));
    EXPECT_FALSE(parseDecimal("1.2.3"));
    EXPECT_FALSE(parseDecimal("nan"));
    EXPECT_EQ(formatGeneral(150), "150");
    EXPECT_EQ(formatGeneral(0), "0");
    EXPECT_EQ(formatGeneral(-5), "-5");
    EXPECT_EQ(formatGeneral(0.1), "0.1");
    EXPECT_EQ(formatGeneral(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(formatGeneral(1e20), "1E20");
    EXPECT_EQ(formatGeneral(1.5e-5), "1.5E-5");
}

}  // namespace
}  // namespace dw
