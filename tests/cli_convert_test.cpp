// dapplewright-cli convert and render, run as a user runs them: with default
// options convert writes the bytes the window writes, -o puts the one output
// elsewhere, a bad picture does not stop the good ones, -j 2 does what -j 1
// does, and the screen it writes renders back to the preview it wrote.

#include <cstdio>
#include <regex>

#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {

namespace fs = std::filesystem;
using test::readFile;
using test::runCli;
using test::CliRun;
using Names = std::vector<std::string>;

void copyPhoto(const fs::path& to) { fs::copy_file(test::testdata("photos/skimage_chelsea.png"), to); }

Names filesIn(const fs::path& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CliConvert, DefaultOptionsWriteTheBytesTheWindowWrites)
{
    test::ScratchDir dir;
    for (const char* folder : {"cli", "window"}) {
        fs::create_directories(dir.path() / folder);
        copyPhoto(dir.path() / folder / "cat.png");
    }
    const CliRun run = runCli("convert cli/cat.png --mode 6912");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("cat.scr 6912 bytes "), std::string::npos) << run.out;
    test::Harness window;
    window.dialogs.picture = (dir.path() / "window" / "cat.png").string();
    window.form->btOpenClick();
    window.form->btConv6912Click();
    EXPECT_EQ(readFile(dir.path() / "cli" / "cat.scr").size(), 6912u);
    EXPECT_EQ(readFile(dir.path() / "cli" / "cat.scr"), readFile(dir.path() / "window" / "cat.scr"));
}

// Refused commands write nothing and leave what was there.
TEST(CliConvert, RefusedCommandsExitWithTheirStatusAndWriteNothing)
{
    test::ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    for (const auto& [name, size] :
         {std::pair{"cat.Scr", 6912}, {"a.scr", 6912}, {"b.img", 6912}, {"c.mcx", 24576}, {"d.img", 13824}})
        test::writeFile(dir.path() / name, std::vector<uint8_t>(size, 0));
    const struct {
        const char* arguments;
        int status;
        const char* error;
    } cases[] = {
        {"convert cat.png --mode 6912 -o missing/cat.scr", 1, "cannot write"},
        {"convert cat.png --mode 6912 -o .", 1, "Is a directory"},
        {"convert cat.png --mode 6912 -o ''", 1, "--output: the name is empty"},
        {"prepare cat.png -o ''", 1, "--output: the name is empty"},
        {"render cat.Scr -o ''", 1, "--output: the name is empty"},
        {"convert cat.png cat.png --mode 6912 -o out.scr", 1, "one picture"},
        {"convert cat.png", 2, "mode"},
        {"convert cat.png --mode 6913", 2, "mode"},
        {"convert cat.png --mode SCR", 2, "mode"},
        {"render cat.Scr -o cat.png", 1, "not a screen file"},  // the loader's exact extension rule
        {"render absent.scr -o cat.png", 1, "cannot read absent.scr"},
        {"render a.scr -o a.png --frame 1", 1, "--frame takes one screen"},
        {"export b.img -o x.tap", 1, "b.img: 6912 bytes, but a .img file holds 13824"},
        {"export cat.png -o x.tap", 1, "cat.png: not a screen file"},
        {"export a.scr -o x.scr", 1, "x.scr: not a name to export to"},
        {"export a.scr -o x", 1, "x: not a name to export to"},
        {"export a.scr a.scr -o x.z80", 1, "a snapshot shows one screen, but 2 were given"},
        {"export c.mcx -o x.tap", 1, "c.mcx: no Spectrum shows"},
        {"export a.scr d.img -o x.tap", 1, "one tape serves one machine"},
    };
    const std::vector<uint8_t> photo = readFile(dir.path() / "cat.png");
    Names before = {"a.scr", "b.img", "c.mcx", "cat.Scr", "cat.png", "d.img"};
    for (const auto& c : cases) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(filesIn(dir.path()), before) << c.arguments;
    }
    EXPECT_EQ(readFile(dir.path() / "cat.png"), photo);

    // A copy of the program with no tables beside it, in a folder without them.
    fs::copy_file(DW_CLI, dir.path() / "cli");
    before.insert(before.begin() + 5, "cli");
    for (const char* mode : {"giga --emg", "mcx"}) {
        const CliRun run = runCli(std::string("convert cat.png --mode ") + mode, (dir.path() / "cli").string());
        EXPECT_EQ(run.status, 1) << mode;
        EXPECT_NE(run.err.find("tablo.dat could not be read"), std::string::npos) << run.err;
        EXPECT_EQ(filesIn(dir.path()), before) << mode;
    }
}

// -o takes the one file and nothing else: through a link it replaces the
// file the link names, beside it, keeping that file's mode; standard
// output, named either way, carries the screen's bytes alone.
TEST(CliConvert, OutputGoesWhereNamedThroughLinksAndToStandardOutput)
{
    test::ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    ASSERT_EQ(runCli("convert cat.png --mode 6912").status, 0);
    const std::vector<uint8_t> screen = readFile(dir.path() / "cat.scr");
    fs::create_directories(dir.path() / "out");
    ASSERT_EQ(runCli("convert cat.png --mode 6912 -o out/screen.bin").status, 0);
    EXPECT_EQ(readFile(dir.path() / "out" / "screen.bin"), screen);
    EXPECT_EQ(filesIn(dir.path() / "out"), Names{"screen.bin"});

    fs::create_directories(dir.path() / "real");
    fs::create_symlink("real/old.scr", "link.scr");
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0444)}) {
        fs::remove(dir.path() / "real" / "old.scr");
        test::writeFile(dir.path() / "real" / "old.scr", {1, 2, 3});
        fs::permissions(dir.path() / "real" / "old.scr", mode);
        const CliRun run = runCli("convert cat.png --mode 6912 -o link.scr");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fs::is_symlink(dir.path() / "link.scr"));
        EXPECT_EQ(readFile(dir.path() / "real" / "old.scr"), screen);
        EXPECT_EQ(fs::status(dir.path() / "real" / "old.scr").permissions(), mode);
        EXPECT_EQ(filesIn(dir.path() / "real"), Names{"old.scr"});
    }
    for (const char* name : {"-", "/dev/stdout"}) {
        const std::string command = "'" DW_CLI "' convert cat.png --mode 6912 -o " + std::string(name) + " 2>/dev/null";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::vector<uint8_t> bytes;
        for (int c; (c = std::fgetc(pipe)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        EXPECT_EQ(::pclose(pipe), 0) << name;
        EXPECT_EQ(bytes, screen) << name;
    }
    EXPECT_EQ(filesIn(dir.path()), (Names{"cat.png", "cat.scr", "link.scr", "out", "real"}));
}

// Several pictures in other folders, named relative to where the CLI was
// started (opening a picture moves the working folder); a bad one in between
// does not stop the good ones.
TEST(CliConvert, BadPictureDoesNotStopTheGoodOnesAndLaterNamesStillResolve)
{
    test::ScratchDir dir;
    for (const char* folder : {"one", "two"}) fs::create_directories(dir.path() / folder);
    copyPhoto(dir.path() / "one" / "a.png");
    copyPhoto(dir.path() / "two" / "c.png");
    test::writeFile(dir.path() / "b.png", {'n', 'o', 't'});
    const CliRun run = runCli("convert one/a.png b.png two/c.png missing.png --mode 6912 --chrs");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.find("b.png") != std::string::npos && run.err.find("missing.png") != std::string::npos) << run.err;
    EXPECT_EQ(readFile(dir.path() / "one" / "a.ch$").size() + readFile(dir.path() / "two" / "c.ch$").size(), 2 * 6919u);
    EXPECT_FALSE(fs::exists(dir.path() / "b.ch$"));
}

// On two threads, the slow picture first, the files and the report lines are
// those of one thread.
TEST(CliConvert, TwoJobsWriteAndReportAsOne)
{
    test::ScratchDir dir;
    const fs::path sources[] = {"photos/kodim23.png", "bmp/bmpsuite/g/rgb24.bmp", "tga/pillow-gimp/expected_1x1_l.png",
                                "tga/pillow-gimp/expected_200x32_p.png"};
    for (const fs::path& source : sources) fs::copy_file(test::testdata(source), source.filename());
    const auto batch = [&](const std::string& jobs) {
        const CliRun run = runCli("convert kodim23.png absent.png rgb24.bmp expected_1x1_l.png expected_200x32_p.png "
                                  "--mode 6912 -j " + jobs);
        std::vector<std::vector<uint8_t>> screens;
        for (const fs::path& source : sources) {
            screens.push_back(readFile(source.stem().string() + ".scr"));
            fs::remove(source.stem().string() + ".scr");
        }
        return std::tuple{run.status, std::regex_replace(run.out, std::regex(" [0-9]+ ms"), ""), run.err, screens};
    };
    const auto oneThread = batch("1");
    EXPECT_EQ(batch("2"), oneThread);
}

// Every layout renders as its converter's preview (at scale 3 each pixel a
// 3x3 block); one frame of a pair renders as that screen alone.
TEST(CliConvert, RenderedScreensEqualThePreviews)
{
    test::ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    const auto picture = [&](const char* name) { return decodePng(readFile(dir.path() / name)).value(); };
    for (const auto& [mode, screen] :
         {std::pair{"6912", "cat.scr"}, {"8col", "cat.3"}, {"rmode", "cat.rm"}, {"r48", "cat.r48"}}) {
        ASSERT_EQ(runCli(std::string("convert cat.png --preview preview.png --mode ") + mode + " -o " + screen).status, 0);
        ASSERT_EQ(runCli(std::string("render ") + screen + " -o rendered.png --scale 3").status, 0);
        const Bitmap preview = picture("preview.png"), big = picture("rendered.png");
        ASSERT_EQ(big.width() * 1000 + big.height(), 768576) << mode;
        for (int y = 0; y < 576; ++y)
            for (int x = 0; x < 768; ++x) ASSERT_EQ(big.pixel(x, y), preview.pixel(x / 3, y / 3)) << mode << x << "," << y;
    }
    ASSERT_EQ(runCli("convert cat.png --mode giga").status, 0);
    const std::vector<uint8_t> pair = readFile(dir.path() / "cat.img");
    for (const int frame : {1, 2}) {
        test::writeFile(dir.path() / "one.scr", {pair.begin() + (frame - 1) * 6912, pair.begin() + frame * 6912});
        ASSERT_EQ(runCli("render cat.img -o frame.png --frame " + std::to_string(frame)).status, 0);
        ASSERT_EQ(runCli("render one.scr -o one.png").status, 0);
        EXPECT_TRUE(picture("frame.png") == picture("one.png")) << frame;
    }
}

}  // namespace dw
