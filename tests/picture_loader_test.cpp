

#include "readers/picture_loader.h"
#include "support/test_support.h"

namespace dw {

namespace fs = std::filesystem;

// The contents of each file say which reader can read it; a reader chosen
// wrongly fails on them.
TEST(PictureLoader, FirstKnownExtensionInTheLowerCasedNameChoosesTheReaderAndNoneGivesNoPicture)
{
    test::ScratchDir scratch;
    const struct {
        const char* data;
        std::vector<std::string> names;
        int width;
    } cases[] = {
        {"png/basn2c08.png", {"photo.PNG", "a.png.bmp", "b.tga.png", "c.PnG.jpg"}, 32},
        {"jpeg/pillow/hopper.jpg", {"x.jpeg", "y.JPG", "z.gif.jpg", "w.JPEG.bmp"}, 128},
        {"gif/giflib/treescap.gif", {"v.GIF", "u.gif.bmp"}, 40},
        {"bmp/bmpsuite/g/rgb24.bmp", {"t.BMP", "s.bmp.old"}, 127},
        {"made/tga/15bit.tga", {"r.Tga"}, 5},
        {"png/basn2c08.png", {"noext", "picture.txt", "dotpng", "x.jp", "y.bm"}, 0},
    };
    for (const auto& c : cases)
        for (const std::string& name : c.names) {
            fs::copy_file(test::testdata(c.data), name);
            const Result<Bitmap> load = loadPicture(name);
            ASSERT_TRUE(load.ok()) << name << ": " << load.error();
            EXPECT_EQ(load.value().width(), c.width) << name;
        }
}

TEST(PictureLoader, UnreadableFilesAndDecoderErrorsGiveOneSentenceAndNoPicture)
{
    test::ScratchDir scratch;
    // The caller names the file, so the sentence does not.
    EXPECT_EQ(loadPicture((scratch.path() / "missing.png").string()).error(),
              "the file cannot be opened: No such file or directory");

    fs::create_directory("folder.bmp");
    test::writeFile("empty.gif", {});
    fs::copy_file(test::testdata("png/basn2c08.png"), "png-bytes.bmp.jpg");
    for (const char* name : {"folder.bmp", "empty.gif", "png-bytes.bmp.jpg"}) {
        EXPECT_FALSE(loadPicture(name).ok()) << name;
        test::expectSane(loadPicture(name), name);
    }
}

}  // namespace dw
