// dapplewright-cli prepare, run as a user runs it: the written PNG is the
// core's prepared picture for the same steps, options frame and tone as the
// window does, and every picture it cannot read ends with status 1 and one
// line on stderr, never a crash or a partial file.

#include <cstdlib>

#include "core/form.h"
#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {

namespace fs = std::filesystem;
using test::ScratchDir;

test::CliRun runPrepare(const std::string& picture, const std::string& output, const std::string& options = "")
{
    return test::runCli("prepare '" + picture + "' -o '" + output + "' " + options);
}

Bitmap readPng(const fs::path& name)
{
    Result<Bitmap> load = decodePng(test::readFile(name));
    EXPECT_TRUE(load.ok()) << name << ": " << load.error();
    return load.value();
}

// The command drives the core exactly as the window's user would: opening
// with the lock on (off with --no-lock), the edits, a mouse framing for --crop.
TEST(CliPrepare, WritesTheCorePreparedPictureForTheSameSteps)
{
    ScratchDir dir;
    // Opening a picture enters its folder: keep every file in the scratch one.
    const std::string photo = (dir.path() / "photo.png").string(), tall = (dir.path() / "tall.png").string();
    fs::copy_file(test::testdata("photos/kodim05.png"), photo);
    fs::copy_file(test::testdata("photos/kodim04.png"), tall);
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
        const test::CliRun run = runPrepare(c.picture, "out.png", c.options);
        ASSERT_EQ(run.status, 0) << c.options << ": " << run.err;
        test::Harness h;
        h.form->setChecked(h.form->cbFix, c.lock);
        h.dialogs.picture = c.picture;
        h.form->btOpenClick();
        c.steps(*h.form);
        EXPECT_TRUE(readPng(dir.path() / "out.png") == h.form->normBitmap) << c.picture << " " << c.options;
    }
}

// Either the picture is read and prepared, or the command says why in one
// line and writes nothing.
void expectPreparedOrRefused(const fs::path& picture, bool mustRefuse)
{
    const fs::path out = fs::absolute("out.png");
    fs::remove(out);
    const test::CliRun run = runPrepare(picture.string(), out.string());
    if (run.status == 0 && !mustRefuse) {
        EXPECT_EQ(readPng(out).width(), 256) << picture;
        return;
    }
    EXPECT_EQ(run.status, 1) << picture;
    // The line names the picture once, as it was typed.
    const std::string lead = "cannot read picture " + picture.string() + ": ";
    EXPECT_EQ(run.err.rfind(lead, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find(picture.filename().string(), lead.size()), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << picture << ": " << run.err;
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

}  // namespace dw
