// dapplewright-cli convert and render, run as a user runs them: with default
// options convert writes the bytes the window writes, -o puts the one output
// elsewhere, a bad picture does not stop the good ones, -j 2 does what -j 1
// does, and the screen it writes renders back to the preview it wrote.

#include <cstdio>
#include <fstream>
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

// Refused commands (tests/data/expected/cli-refusals.txt) write nothing and
// leave what was there.
TEST(CliConvert, RefusedCommandsExitWithTheirStatusAndWriteNothing)
{
    test::ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    for (const auto& [name, size] :
         {std::pair{"cat.Scr", 6912}, {"a.scr", 6912}, {"b.img", 6912}, {"c.mcx", 24576}, {"d.img", 13824}})
        test::writeFile(dir.path() / name, std::vector<uint8_t>(size, 0));
    const std::vector<uint8_t> photo = readFile(dir.path() / "cat.png");
    Names before = {"a.scr", "b.img", "c.mcx", "cat.Scr", "cat.png", "d.img"};
    std::ifstream lines(test::testdata("expected/cli-refusals.txt"));
    int commands = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        ++commands;
        const size_t tab = line.find('\t', 2);
        const std::string error = line.substr(2, tab - 2), arguments = line.substr(tab + 1);
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, line[0] - '0') << arguments;
        EXPECT_NE(run.err.find(error), std::string::npos) << arguments << ": " << run.err;
        EXPECT_EQ(filesIn(dir.path()), before) << arguments;
    }
    EXPECT_TRUE(commands == 24 && readFile(dir.path() / "cat.png") == photo);

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

// On two threads, the slow picture first, the files and the report lines are
// those of one thread. Pictures that cannot be read, among them, stop none of
// the others, and names in a folder resolve from where the program started
// (opening a picture moves the working folder).
TEST(CliConvert, TwoJobsWriteAndReportAsOneAndBadPicturesStopNothing)
{
    test::ScratchDir dir;
    const fs::path sources[] = {"photos/kodim23.png", "bmp/bmpsuite/g/rgb24.bmp", "tga/pillow-gimp/expected_1x1_l.png",
                                "tga/pillow-gimp/expected_200x32_p.png"};
    fs::create_directory("in");
    for (const fs::path& source : sources) fs::copy_file(test::testdata(source), "in" / source.filename());
    test::writeFile("in/bad.png", {'n', 'o', 't'});
    const auto batch = [&](const std::string& jobs) {
        const CliRun run = runCli("convert in/kodim23.png absent.png in/rgb24.bmp in/bad.png in/expected_1x1_l.png "
                                  "in/expected_200x32_p.png --mode 6912 --chrs -j " + jobs);
        std::vector<std::vector<uint8_t>> screens;
        for (const fs::path& source : sources) {
            screens.push_back(readFile("in" / source.stem().concat(".ch$")));
            fs::remove("in" / source.stem().concat(".ch$"));
        }
        return std::tuple{run.status, std::regex_replace(run.out, std::regex(" [0-9]+ ms"), ""), run.err, screens};
    };
    const auto oneThread = batch("1");
    const std::string& err = std::get<2>(oneThread);
    EXPECT_EQ(std::get<0>(oneThread), 1);
    EXPECT_TRUE(err.find("bad.png") != std::string::npos && err.find("absent.png") != std::string::npos) << err;
    EXPECT_EQ(filesIn("in").size(), 5u);
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
