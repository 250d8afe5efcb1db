// dapplewright-cli prepare, run as a user runs it: the written PNG is the
// core's prepared picture for the same steps, options frame and tone as the
// window does, and every picture it cannot read ends with status 1 and one
// line on stderr, never a crash or a partial file.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
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
        EXPECT_EQ(run.status, 0) << entry.path();
        EXPECT_EQ(run.stderrText, "") << entry.path();
        const Bitmap prepared = readPng(out);
        EXPECT_EQ(prepared.width() * 1000 + prepared.height(), 256192) << entry.path();
        ++photos;
    }
    EXPECT_GE(photos, 10);
}

// The command drives the core exactly as the window's user would: opening
// with the lock on (off with --no-lock), the edits, a mouse framing for --crop.
TEST(CliPrepare, WritesTheCorePreparedPictureForTheSameSteps)
{
    ScratchDir dir;
    // Opening a picture enters its folder: keep every file in the scratch one.
    const std::string photo = (dir.path() / "photo.png").string(), tall = (dir.path() / "tall.png").string();
    fs::copy_file(test::testdata("photos/kodim05.png"), photo);
    test::writeFile(tall, encodePng(gradient(480, 640)));
    const struct {
        std::string picture, options;
        bool lock;
        std::function<void(TForm1&)> steps;
    } cases[] = {
        {photo, "--brightness 0.05 --contrast 1.1 --saturation 1.5 --crop 30,40,300,200", true,
         [](TForm1& f) {
             f.setText(f.edBrightness, "0.05");
             f.setText(f.edContrast, "1.1");
             f.setText(f.edColor, "1.5");
             f.Image1MouseDown(MouseButton::left, 30, 40);
             f.Image1MouseDown(MouseButton::right, 330, 240);
         }},
        {tall, "--no-lock", false, [](TForm1&) {}},
    };
    for (const auto& c : cases) {
        const CliRun run = runPrepare(c.picture, "out.png", c.options);
        ASSERT_EQ(run.status, 0) << c.options << ": " << run.stderrText;
        test::Harness h;
        h.form->setChecked(h.form->cbFix, c.lock);
        h.dialogs.picture = c.picture;
        h.form->btOpenClick();
        c.steps(*h.form);
        EXPECT_TRUE(readPng(dir.path() / "out.png") == h.form->normBitmap) << c.picture << " " << c.options;
    }
}

TEST(CliPrepare, NegativeCropSamplesMirrored)
{
    ScratchDir dir;
    const Bitmap picture = gradient(512, 384);
    test::writeFile("g.png", encodePng(picture));
    // Width -256 from x = 100 steps one pixel left per column: u = 100 - x.
    ASSERT_EQ(runPrepare("g.png", "mirror.png", "--contrast 1 --crop 100,50,-256,-192").status, 0);
    const Bitmap out = readPng(dir.path() / "mirror.png");
    EXPECT_EQ(out.pixel(0, 0), picture.pixel(100, 50));
    EXPECT_EQ(out.pixel(100, 50), picture.pixel(0, 0));
    EXPECT_EQ(out.pixel(101, 0), white);
    EXPECT_EQ(out.pixel(0, 51), white);
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

// Missing, foreign and cut files must be refused; the damaged suite files
// may decode, but never crash, hang or leave a partial file.
TEST(CliPrepare, UnreadableAndDamagedPicturesEndWithOneLineAndStatusOne)
{
    ScratchDir dir;
    test::writeFile("notes.txt", {'h', 'i'});
    std::vector<uint8_t> jpeg = test::readFile(test::testdata("jpeg/libjpeg-turbo/testorig.jpg"));
    jpeg.resize(40);
    test::writeFile("cut.jpg", jpeg);
    for (const fs::path& refused : {test::testdata("png/xs1n0g01.png"), dir.path() / "missing.png",
                                    dir.path() / "notes.txt", dir.path() / "cut.jpg"})
        expectPreparedOrRefused(refused, true);

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
