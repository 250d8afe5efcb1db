// Every row of the mode table run as the window runs it, into memory: the
// files it hands over, the same bytes for the same input, the preview drawn
// from the file again; then start-up, refusals and failed writes.

#include <sys/resource.h>
#include <sys/stat.h>

#include <thread>

#include "colour/mix_table.h"
#include "core/mode_table.h"
#include "core/output_file.h"
#include "support/test_support.h"
#include "zxfiles/file_drawing.h"
#include "zxfiles/layouts.h"

namespace dw {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Names = std::set<std::string>;
using Window = test::Harness;

// Takes `room` bytes and then fails, as a full disk would.
struct FullDiskOutput : test::MemoryOutput {
    size_t room;
    explicit FullDiskOutput(size_t room) : room(room) {}
    Status write(const std::string& name, FileRole role, std::span<const uint8_t> bytes) override
    {
        if (bytes.size() > room) return Failure{"No space left on device"};
        room -= bytes.size();
        return MemoryOutput::write(name, role, bytes);
    }
};

Names namesOf(const std::map<std::string, std::vector<uint8_t>>& files)
{
    Names names;
    for (const auto& [name, bytes] : files) names.insert(fs::path(name).filename().string());
    return names;
}

// The files' bytes are the golden table's; here: their names and folder, the
// same bytes again, and the preview drawn from the screen file.
TEST(ModeRuns, EachModeHandsOverItsFilesAndTheFileDrawsItsPreview)
{
    for (const Mode& mode : modeTable()) {
        SCOPED_TRACE(mode.name);
        Window w(nullptr);
        w.dialogs.picture = test::testdata("photos/kodim05.png").string();
        w.form->btOpenClick();
        (w.form.get()->*mode.run)();
        const std::string screenName = std::string("kodim05") + mode.extensions[0];
        Names expected(mode.sideFiles.begin(), mode.sideFiles.end());
        expected.insert(screenName);
        EXPECT_EQ(namesOf(w.memory.files), expected);
        for (const auto& [name, bytes] : w.memory.files)
            EXPECT_TRUE(fs::equivalent(fs::path(name).parent_path(), test::testdata("photos"))) << name;
        EXPECT_TRUE(w.memo().back().ends_with(" sec"));
        EXPECT_EQ(w.form->imTo.picture, w.form->zxBitmap);

        // Each run prepares the picture afresh: nothing diffused before leaks in.
        const auto first = w.memory.files;
        (w.form.get()->*mode.run)();
        EXPECT_TRUE(w.memory.files == first);

        const auto& file = std::ranges::find_if(first, [&](auto& f) { return f.first.ends_with(screenName); })->second;
        const Bitmap preview = w.form->zxBitmap;
        const PaletteView pal{w.form->palB, w.form->palG, w.form->palR};
        Bitmap drawn(screenWidth, screenHeight);
        const std::string name = mode.name;
        if (name == "8col" || name == "rmode" || name == "r48") {
            ASSERT_TRUE(name == "8col" ? drawEightColourFile(file, drawn)
                        : name == "rmode" ? drawRModeFile(file, pal, drawn) : drawR48File(file, pal, drawn));
        } else {
            test::ScratchDir dir;
            test::writeFile(screenName, file);
            w.form->loadScreenFile((dir.path() / screenName).string());
            drawn = w.form->zxBitmap;
        }
        EXPECT_EQ(drawn, preview);
    }
}

// "Eco" wins over character files; the brush gets a copy of what was made.
TEST(ModeRuns, EcoWinsOverCharacterFilesAndTheBrushGetsTheScreens)
{
    Window eco(nullptr);
    eco.form->cbEcoImg.checked = true;
    eco.form->setChecked(eco.form->cbCHRS, true);
    eco.form->btConvGigaClick();
    EXPECT_EQ(namesOf(eco.memory.files), Names{"noname.emg"});
    for (bool floyd : {true, false}) {
        Window w(nullptr);
        TForm1& f = *w.form;
        w.dialogs.picture = test::testdata("photos/skimage_chelsea.png").string();
        f.btOpenClick();
        f.setChecked(f.cbDith, floyd);
        f.btSaveDraw.enabled = f.gigaShown = true;
        f.btConv6912Click();
        EXPECT_TRUE(f.scr2 == f.scr1 && f.scr1Conv == f.scr1 && f.scr2Conv == f.scr1 && f.chunkLevel2 == f.chunkLevel1);
        EXPECT_EQ(f.retouchOn, floyd);
        EXPECT_FALSE(f.gigaShown || f.btSaveDraw.enabled);
        f.btConvGigaClick();
        EXPECT_TRUE(f.gigaShown && f.scr1Conv == f.scr1 && f.scr2Conv == f.scr2);
        f.btConvMCClick();
        EXPECT_FALSE(f.retouchOn);
    }
}

// A file the output refuses is named in the memo (after the time line of
// "to 6912", before that of "to 8col", as the window always did); the run
// still shows its screen, and a side file refused leaves the others.
TEST(ModeRuns, ARefusedFileIsReportedAndTheRunGoesOn)
{
    for (const auto& [run, name, reportLast] :
         {std::tuple{&TForm1::btConv6912Click, "noname.scr", true}, {&TForm1::btConv8colClick, "noname.3", false}}) {
        FullDiskOutput empty(0);
        Window w(&empty);
        (w.form.get()->*run)();
        const size_t lines = w.memo().size();
        EXPECT_EQ(w.memo()[lines - (reportLast ? 1 : 2)], "cannot write " + std::string(name) + ": No space left on device");
        EXPECT_TRUE(w.memo()[lines - (reportLast ? 2 : 1)].ends_with(" sec"));
        EXPECT_TRUE(w.form->writtenFiles.size() == 1 && !w.form->writtenFiles[0].written.ok() &&
                    w.form->imTo.picture == w.form->zxBitmap);
    }
    FullDiskOutput roomForTheScreen(rModeFileSize);
    Window r(&roomForTheScreen);
    r.form->btConvRModeClick();
    EXPECT_EQ(namesOf(roomForTheScreen.files), Names{"noname.rm"});
    for (const char* layer : {"layer1.bmp", "layer2.bmp"})
        EXPECT_EQ(std::ranges::count(r.memo(), "cannot write " + std::string(layer) + ": No space left on device"), 1);
}

// A FIFO is written directly, so a thread reading it gets every byte (more
// than a pipe holds at once); a file-size limit (as `ulimit -f` sets, whose
// signal would end the test unless the writer handles it), a folder and no
// name are reported, leaving the old file and no temporary.
TEST(OutputFile, FifoGetsEveryByteAndFailuresLeaveTheOldFileAndNoTemporary)
{
    test::ScratchDir dir;
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    std::vector<uint8_t> bytes(200000), received;
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 / 3);
    std::thread reader([&] { received = test::readFile("pipe"); });
    EXPECT_TRUE(writeFileAtomically("pipe", bytes));
    reader.join();
    EXPECT_TRUE(received == bytes);

    test::writeFile("old.bin", {1, 2, 3});
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit low{1000, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &low);
    EXPECT_EQ(writeFileAtomically("old.bin", bytes).error(), "File too large");
    setrlimit(RLIMIT_FSIZE, &saved);
    fs::create_directory("taken");
    EXPECT_EQ(writeFileAtomically("taken", bytes).error(), "Is a directory");
    EXPECT_EQ(writeFileAtomically("", bytes).error(), "No such file or directory");
    EXPECT_EQ(test::readFile("old.bin"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);  // no temporary left
}

// A missing or short table is named at start-up, and every run that needs
// it writes nothing instead of a blank screen; the others still run.
TEST(Refusals, UnreadTablesAreNamedAndTheRunsThatNeedThemWriteNothing)
{
    test::ScratchDir dir;
    test::writeFile("tablo.dat", {1, 2, 12, 15});
    Window w(nullptr, dir.path().string());
    EXPECT_EQ(Lines(w.memo().end() - 3, w.memo().end()),
              (Lines{"cannot read code256.dat: not found", "cannot read deco256.dat: not found",
                     "cannot read tablo.dat: only 4 of 6832 bytes"}));
    for (Handler run : {&TForm1::btConvGigaClick, &TForm1::btConvMCXClick}) {
        (w.form.get()->*run)();
        EXPECT_EQ(w.memo().back(), "nothing written: tablo.dat could not be read");
    }
    w.form->btConv6912Click();
    EXPECT_EQ(namesOf(w.memory.files), Names{"noname.scr"});

    test::writeFile("tablo.dat", std::vector<uint8_t>(6832, 1));
    w.form->FormCreate();
    w.form->setChecked(w.form->cbEcoImg, true);
    w.form->btConvGigaClick();
    EXPECT_EQ(w.memo().back(), "nothing written: code256.dat could not be read");
    w.form->setChecked(w.form->cbEcoImg, false);
    w.form->btConvGigaClick();
    EXPECT_EQ(namesOf(w.memory.files), (Names{"noname.img", "noname.scr"}));
}

// A run never replaces a file with the blank screen of an empty picture:
// not after a picture that could not be decoded (such as a screen file
// opened as a picture), and not before any picture was opened.
TEST(Refusals, AnEmptyPictureNeverReplacesAFile)
{
    test::ScratchDir dir;
    test::writeFile("noname.scr", std::vector<uint8_t>(6912, 0x55));
    Window w(nullptr);
    w.form->btConv6912Click();
    EXPECT_EQ(w.memo().back(), "nothing written: no picture is open and noname.scr exists");
    w.dialogs.picture = (dir.path() / "noname.scr").string();
    w.form->btOpenClick();
    w.form->btConv6912Click();
    EXPECT_EQ(w.memo().back(), "nothing written: the picture could not be read");
    EXPECT_TRUE(!w.form->retouchOn && w.memory.files.empty() && w.form->writtenFiles.empty());
}

// Record 0: blue, red, bright green, bright white; record 1 is cut after two
// bytes and keeps zeros; a damaged record is folded into the palette; a
// table missing from the working folder comes from the next folder.
TEST(StartUp, TablesAreReadWhereverFoundAndRecordsGetTheirMixes)
{
    test::ScratchDir dir;
    std::vector<uint8_t> code(625), deco(512);
    for (int i = 0; i < 625; ++i) code[i] = static_cast<uint8_t>(i * 7);
    for (int i = 0; i < 512; ++i) deco[i] = static_cast<uint8_t>(255 - i);
    test::writeFile("code256.dat", code);
    test::writeFile("deco256.dat", deco);
    test::writeFile("tablo.dat", {1, 2, 12, 15, 0xF9, 10});
    Window w(nullptr, dir.path().string());
    const TForm1& f = *w.form;
    EXPECT_TRUE(f.codeTab[624] == code[624] && f.decoTab[0][0] == deco[0] && f.decoTab[1][0] == deco[256]);
    auto mix = [](int index) { return std::array<int, 3>{mixTable[index].r, mixTable[index].g, mixTable[index].b}; };
    using Rgb = std::array<int, 3>;
    // Blue + bright green, red + bright green, blue + bright white, red + bright white.
    EXPECT_EQ((std::array{mix(f.gigaTab[0][4]), mix(f.gigaTab[0][5]), mix(f.gigaTab[0][6]), mix(f.gigaTab[0][7])}),
              (std::array{Rgb{0, 126, 63}, Rgb{63, 126, 0}, Rgb{126, 126, 189}, Rgb{189, 126, 126}}));
    const auto& cut = f.gigaTab[1];
    EXPECT_EQ((std::array<int, 4>{cut[0], cut[1], cut[2], cut[3]}), (std::array<int, 4>{9, 10, 0, 0}));
    EXPECT_EQ(mix(cut[4]), (Rgb{0, 0, 126}));  // bright blue + black
    EXPECT_EQ(f.gigaTab[2][4], blackMix);

    fs::remove("tablo.dat");
    Window fallback(nullptr);
    EXPECT_TRUE(fallback.form->unreadTables.empty() && fallback.form->codeTab[624] == code[624]);
    EXPECT_EQ(fallback.form->gigaTab[0][0], test::readFile(fs::path(DW_DATA) / "tablo.dat")[0] & 15);
}

TEST(StartUp, DitheringLevelClampsKeepsTheLevelOnBadTextAndRunsAreTimed)
{
    Window w(nullptr);
    TForm1& f = *w.form;
    EXPECT_EQ(f.dithLo + f.dithHi, 255);
    for (const auto& [text, level, lo, hi] : {std::tuple{"2", 1.0, 0, 255}, {"-1", 0.0, 128, 127}, {"0.5", 0.5, 64, 191},
                                              {"abc", 0.5, 64, 191}, {"0.3", 0.3, 89, 165}}) {
        f.setText(f.edDithLevel, text);
        EXPECT_TRUE(f.dithLevel == level && f.dithLo == lo && f.dithHi == hi) << text;
    }
    const size_t before = w.memo().size();
    w.clock.step = 2.25;
    f.btConv8colClick();
    EXPECT_EQ(Lines(w.memo().begin() + before, w.memo().end()), Lines{"2.25 sec"});
}

}  // namespace dw
