// dapplewright-cli prepare, run as a user runs it: the written PNG is the
// core's prepared picture for the same steps, options frame and tone as the
// window does, and every picture it cannot read ends with status 1 and one
// line on stderr, never a crash or a partial file.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/form.h"
#include "readers/png_reader.h"
#include "readers/png_writer.h"
#include "support/test_support.h"

namespace dw {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

struct CliRun {
    int status = -1;
    std::string stderrText;
};

std::string quoted(const std::string& text) { return "'" + text + "'"; }

CliRun runPrepare(const std::string& picture, const std::string& output, const std::string& options = "")
{
    const fs::path errors = fs::absolute("stderr.txt");
    const std::string command = quoted(DW_CLI) + " prepare " + quoted(picture) + " -o " + quoted(output) + " " +
                                options + " 2>" + quoted(errors.string());
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const std::vector<uint8_t> bytes = test::readFile(errors);
    run.stderrText.assign(bytes.begin(), bytes.end());
    return run;
}

Bitmap readPng(const fs::path& name)
{
    PictureLoad load = decodePng(test::readFile(name));
    EXPECT_TRUE(load.ok()) << name << ": " << load.error;
    return load.bitmap;
}

Bitmap gradient(int width, int height)
{
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, packColour({(x >> 8) + 4 * (y >> 8), y & 255, x & 255}));
    return picture;
}

const uint32_t white = 0xFFFFFF;

TEST(CliPrepare, EveryPhotoGivesAScreenSizedPng)
{
    ScratchDir dir;
    int photos = 0;
    for (const auto& entry : fs::directory_iterator(test::testdata("photos"))) {
        const fs::path out = dir.path() / (entry.path().stem().string() + ".png");
        const CliRun run = runPrepare(entry.path().string(), out.string());
        EXPECT_EQ(run.status, 0) << entry.path() << ": " << run.stderrText;
        EXPECT_EQ(run.stderrText, "");
        const Bitmap prepared = readPng(out);
        EXPECT_EQ(prepared.width(), 256) << entry.path();
        EXPECT_EQ(prepared.height(), 192) << entry.path();
        ++photos;
    }
    EXPECT_GE(photos, 10);
}

// The command drives the core exactly as the window's user would.
TEST(CliPrepare, WritesTheCorePreparedPictureForTheSameSteps)
{
    ScratchDir dir;
    const std::string photo = test::testdata("photos/kodim05.png").string();
    const CliRun run = runPrepare(photo, "out.png", "--brightness 0.05 --contrast 1.1 --saturation 1.5 --crop 30,40,300,200");
    ASSERT_EQ(run.status, 0) << run.stderrText;
    const Bitmap written = readPng(dir.path() / "out.png");

    test::Harness h;
    TForm1& f = *h.form;
    h.dialogs.picture = photo;
    f.btOpenClick();
    f.setText(f.edBrightness, "0.05");
    f.setText(f.edContrast, "1.1");
    f.setText(f.edColor, "1.5");
    f.Image1MouseDown(MouseButton::left, 30, 40);
    f.Image1MouseDown(MouseButton::right, 330, 240);
    EXPECT_TRUE(written == f.normBitmap);
}

TEST(CliPrepare, CropFramesExactlyThatRectangleMirroredWhenNegative)
{
    ScratchDir dir;
    const Bitmap picture = gradient(512, 384);
    test::writeFile("g.png", encodePng(picture));

    ASSERT_EQ(runPrepare("g.png", "plain.png", "--contrast 1 --crop 0,0,256,192").status, 0);
    Bitmap out = readPng(dir.path() / "plain.png");
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) ASSERT_EQ(out.pixel(x, y), picture.pixel(x, y)) << x << "," << y;

    // Width -256 from x = 100 steps one pixel left per column: u = 100 - x.
    ASSERT_EQ(runPrepare("g.png", "mirror.png", "--contrast 1 --crop 100,50,-256,-192").status, 0);
    out = readPng(dir.path() / "mirror.png");
    EXPECT_EQ(out.pixel(0, 0), picture.pixel(100, 50));
    EXPECT_EQ(out.pixel(100, 50), picture.pixel(0, 0));
    EXPECT_EQ(out.pixel(101, 0), white);
    EXPECT_EQ(out.pixel(0, 51), white);
}

// With the lock a 480x640 picture is framed 480x360, so the last screen row
// samples source row trunc(191 * 1.875); unlocked, trunc(191 * 640 / 192).
TEST(CliPrepare, NoLockFramesTheWholeTallPicture)
{
    ScratchDir dir;
    const Bitmap picture = gradient(480, 640);
    test::writeFile("tall.png", encodePng(picture));
    ASSERT_EQ(runPrepare("tall.png", "locked.png", "--contrast 1").status, 0);
    ASSERT_EQ(runPrepare("tall.png", "unlocked.png", "--contrast 1 --no-lock").status, 0);
    EXPECT_EQ(readPng(dir.path() / "locked.png").pixel(0, 191), picture.pixel(0, 358));
    EXPECT_EQ(readPng(dir.path() / "unlocked.png").pixel(0, 191), picture.pixel(0, 636));
}

// Either the picture is read and prepared, or the command says why in one
// line and writes nothing.
void expectPreparedOrRefused(const fs::path& picture, bool mustRefuse)
{
    const fs::path out = fs::absolute("out.png");
    fs::remove(out);
    const CliRun run = runPrepare(picture.string(), out.string());
    if (run.status == 0 && !mustRefuse) {
        EXPECT_EQ(readPng(out).width(), 256) << picture;
        return;
    }
    EXPECT_EQ(run.status, 1) << picture;
    EXPECT_EQ(run.stderrText.rfind("cannot read picture: ", 0), 0u) << picture << ": " << run.stderrText;
    EXPECT_EQ(run.stderrText.find('\n'), run.stderrText.size() - 1) << picture << ": " << run.stderrText;
    EXPECT_FALSE(fs::exists(out)) << picture;
}

TEST(CliPrepare, UnreadablePicturesEndWithOneLineAndStatusOne)
{
    ScratchDir dir;
    expectPreparedOrRefused(test::testdata("png/xs1n0g01.png"), true);
    expectPreparedOrRefused(dir.path() / "missing.png", true);
    test::writeFile("notes.txt", {'h', 'i'});
    expectPreparedOrRefused(dir.path() / "notes.txt", true);

    std::vector<uint8_t> jpeg = test::readFile(test::testdata("jpeg/libjpeg-turbo/testorig.jpg"));
    jpeg.resize(40);
    test::writeFile("cut.jpg", jpeg);
    expectPreparedOrRefused(dir.path() / "cut.jpg", true);
}

TEST(CliPrepare, DamagedSuiteFilesNeverCrash)
{
    ScratchDir dir;
    for (const char* folder : {"png", "bmp/bmpsuite/b", "gif/corrupt", "tga/image-rs/corrupt"})
        for (const auto& entry : fs::directory_iterator(test::testdata(folder))) {
            const std::string name = entry.path().filename().string();
            if (std::string(folder) == "png" && name[0] != 'x') continue;
            if (name.find("LICENSE") != std::string::npos || name.find("COPYING") != std::string::npos) continue;
            expectPreparedOrRefused(entry.path(), false);
        }
    expectPreparedOrRefused(test::testdata("jpeg/pillow/truncated_jpeg.jpg"), false);
}

TEST(CliPrepare, MalformedOptionsAreRefusedBeforeAnythingIsWritten)
{
    ScratchDir dir;
    test::writeFile("g.png", encodePng(gradient(8, 6)));
    for (const char* options : {"--crop 1,2,3", "--crop 1,2,3,x", "--crop 2147483647,0,1,1", "--contrast 1,5",
                                "--palette missing.act"}) {
        const CliRun run = runPrepare("g.png", "out.png", options);
        EXPECT_NE(run.status, 0) << options;
        EXPECT_FALSE(fs::exists("out.png")) << options;
    }
}

}  // namespace
}  // namespace dw
