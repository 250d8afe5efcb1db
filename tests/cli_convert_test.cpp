// dapplewright-cli convert, run as a user runs it: with default options it
// writes the bytes the window writes, -o puts the one output elsewhere, a bad
// picture does not stop the good ones, and the screen it writes renders back
// to the preview it wrote.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScratchDir;

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string quoted(const std::string& text) { return "'" + text + "'"; }

std::string textOf(const fs::path& name)
{
    const std::vector<uint8_t> bytes = readFile(name);
    return {bytes.begin(), bytes.end()};
}

// Runs the CLI in the current folder with the arguments as typed.
CliRun runCli(const std::string& arguments)
{
    const fs::path out = fs::absolute("stdout.txt"), err = fs::absolute("stderr.txt");
    const std::string command =
        quoted(DW_CLI) + " " + arguments + " >" + quoted(out.string()) + " 2>" + quoted(err.string());
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = textOf(out);
    run.err = textOf(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

void copyPhoto(const fs::path& to) { fs::copy_file(test::testdata("photos/skimage_chelsea.png"), to); }

std::vector<std::string> filesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CliConvert, DefaultOptionsWriteTheBytesTheWindowWrites)
{
    ScratchDir dir;
    fs::create_directories(dir.path() / "cli");
    fs::create_directories(dir.path() / "window");
    copyPhoto(dir.path() / "cli" / "cat.png");
    copyPhoto(dir.path() / "window" / "cat.png");

    const CliRun run = runCli("convert cli/cat.png --mode 6912");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("cat.scr 6912 bytes "), std::string::npos) << run.out;

    test::Harness window;
    window.dialogs.picture = (dir.path() / "window" / "cat.png").string();
    window.form->btOpenClick();
    window.form->btConv6912Click();

    const std::vector<uint8_t> fromCli = readFile(dir.path() / "cli" / "cat.scr");
    ASSERT_EQ(fromCli.size(), 6912u);
    EXPECT_EQ(fromCli, readFile(dir.path() / "window" / "cat.scr"));
}

TEST(CliConvert, OutputNameTakesTheOneFileAndNothingElse)
{
    ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    fs::create_directories(dir.path() / "out");
    ASSERT_EQ(runCli("convert cat.png --mode 6912").status, 0);
    const std::vector<uint8_t> besideThePicture = readFile(dir.path() / "cat.scr");
    fs::remove(dir.path() / "cat.scr");

    const CliRun run = runCli("convert cat.png --mode 6912 -o out/screen.bin");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir.path() / "out" / "screen.bin"), besideThePicture);
    EXPECT_EQ(filesIn(dir.path() / "out"), std::vector<std::string>{"screen.bin"});
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"cat.png", "out"}));
}

TEST(CliConvert, OutputThatCannotBeWrittenIsAnError)
{
    ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    const CliRun run = runCli("convert cat.png --mode 6912 -o missing/cat.scr");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"cat.png"});
}

TEST(CliConvert, OneOutputNameWithSeveralPicturesIsRefused)
{
    ScratchDir dir;
    copyPhoto(dir.path() / "a.png");
    copyPhoto(dir.path() / "b.png");
    const CliRun run = runCli("convert a.png b.png --mode 6912 -o out.scr");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"a.png", "b.png"}));
}

TEST(CliConvert, MissingOrUnknownModeExitsWithStatusTwo)
{
    ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    for (const char* arguments : {"convert cat.png", "convert cat.png --mode 6913", "convert cat.png --mode SCR"}) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("mode"), std::string::npos) << run.err;
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"cat.png"});
}

TEST(CliConvert, BadPictureDoesNotStopTheGoodOnes)
{
    ScratchDir dir;
    copyPhoto(dir.path() / "a.png");
    copyPhoto(dir.path() / "c.png");
    test::writeFile(dir.path() / "b.png", {'n', 'o', 't'});
    const CliRun run = runCli("convert a.png b.png c.png missing.png --mode 6912");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("b.png"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("missing.png"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(dir.path() / "a.scr").size(), 6912u);
    EXPECT_EQ(readFile(dir.path() / "c.scr").size(), 6912u);
    EXPECT_FALSE(fs::exists(dir.path() / "b.scr"));
}

// Several pictures in other folders, named relative to where the CLI was
// started, even though opening a picture moves the working folder.
TEST(CliConvert, RelativeNamesOfLaterPicturesStillResolve)
{
    ScratchDir dir;
    fs::create_directories(dir.path() / "one");
    fs::create_directories(dir.path() / "two");
    copyPhoto(dir.path() / "one" / "a.png");
    copyPhoto(dir.path() / "two" / "b.png");
    const CliRun run = runCli("convert one/a.png two/b.png --mode 6912 --chrs");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir.path() / "one" / "a.ch$").size(), 6919u);
    EXPECT_EQ(readFile(dir.path() / "two" / "b.ch$").size(), 6919u);
}

TEST(CliConvert, RenderedScreenEqualsThePreview)
{
    ScratchDir dir;
    copyPhoto(dir.path() / "cat.png");
    const CliRun convert = runCli("convert cat.png --mode 6912 --preview preview.png --prepared prepared.png");
    ASSERT_EQ(convert.status, 0) << convert.err;
    const CliRun render = runCli("render cat.scr -o rendered.png");
    ASSERT_EQ(render.status, 0) << render.err;

    const PictureLoad preview = decodePng(readFile(dir.path() / "preview.png"));
    const PictureLoad rendered = decodePng(readFile(dir.path() / "rendered.png"));
    const PictureLoad prepared = decodePng(readFile(dir.path() / "prepared.png"));
    ASSERT_TRUE(preview.ok() && rendered.ok() && prepared.ok());
    EXPECT_EQ(preview.bitmap.width(), 256);
    EXPECT_EQ(preview.bitmap.height(), 192);
    EXPECT_TRUE(rendered.bitmap == preview.bitmap);
    EXPECT_EQ(prepared.bitmap.width(), 256);
    EXPECT_FALSE(prepared.bitmap == preview.bitmap);
}

}  // namespace
}  // namespace dw
