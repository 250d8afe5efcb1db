#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "readers/bmp_writer.h"
#include "readers/picture_loader.h"
#include "readers/png_writer.h"
#include "support/test_support.h"

namespace dw {
namespace {

Bitmap twoPixels(uint32_t left, uint32_t right)
{
    Bitmap bitmap(2, 1);
    bitmap.setPixel(0, 0, left);
    bitmap.setPixel(1, 0, right);
    return bitmap;
}

// The contents of each file say which reader can read it; a reader chosen
// wrongly fails on them.
class PictureLoader : public ::testing::Test {
protected:
    test::ScratchDir scratch;
    const Bitmap pngPicture = twoPixels(0x0000FF, 0x00FF00);
    const Bitmap bmpPicture = twoPixels(0xFF0000, 0x123456);
    const std::vector<uint8_t> pngFile = encodePng(pngPicture);

    PictureLoad load(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        test::writeFile(scratch.path() / name, bytes);
        return loadPicture((scratch.path() / name).string());
    }
};

TEST_F(PictureLoader, FirstExtensionFoundInTheLowerCasedNameChoosesTheReader)
{
    const std::vector<uint8_t> jpegFile = test::readFile(test::testdata("jpeg/pillow/hopper.jpg"));
    const std::vector<uint8_t> gifFile = test::readFile(test::testdata("gif/giflib/treescap.gif"));
    const std::vector<uint8_t> bmpFile = encodeBmp24(bmpPicture);
    // 1x1 uncompressed true-colour TGA holding blue 0x30, green 0x20, red 0x10.
    const std::vector<uint8_t> tgaFile = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0x30, 0x20, 0x10};
    const struct {
        std::vector<std::string> names;
        const std::vector<uint8_t>& file;
        int width;
    } cases[] = {
        {{"photo.PNG", "a.png.bmp", "b.tga.png", "c.PnG.jpg"}, pngFile, 2},
        {{"x.jpeg", "y.JPG", "z.gif.jpg", "w.JPEG.bmp"}, jpegFile, 128},
        {{"v.GIF", "u.gif.bmp"}, gifFile, 40},
        {{"t.BMP", "s.bmp.old"}, bmpFile, 2},
        {{"r.Tga"}, tgaFile, 1},
    };
    for (const auto& c : cases)
        for (const std::string& name : c.names) {
            const PictureLoad result = load(name, c.file);
            ASSERT_TRUE(result.ok()) << name << ": " << result.error;
            EXPECT_EQ(result.bitmap.width(), c.width) << name;
        }
    EXPECT_TRUE(load("p.png", pngFile).bitmap == pngPicture);
    EXPECT_TRUE(load("b.bmp", bmpFile).bitmap == bmpPicture);
    EXPECT_EQ(load("t.tga", tgaFile).bitmap.pixel(0, 0), 0x302010u);
}

TEST_F(PictureLoader, NameWithoutAKnownExtensionGivesAnEmptyPictureAndNoError)
{
    for (const char* name : {"noext", "picture.txt", "dotpng", "x.jp", "y.bm", ""}) {
        const PictureLoad result = *name ? load(name, pngFile) : loadPicture("");
        EXPECT_TRUE(result.ok()) << name;
        EXPECT_TRUE(result.bitmap.empty()) << name;
    }
}

TEST_F(PictureLoader, UnreadableFilesAndDecoderErrorsGiveOneSentenceAndNoPicture)
{
    const std::string missing = (scratch.path() / "missing.png").string();
    const PictureLoad result = loadPicture(missing);
    EXPECT_NE(result.error.find(missing), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;

    std::filesystem::create_directory(scratch.path() / "folder.bmp");
    for (const PictureLoad& failed : {loadPicture((scratch.path() / "folder.bmp").string()), load("empty.gif", {}),
                                      load("png-bytes.bmp.jpg", pngFile)}) {
        EXPECT_FALSE(failed.ok());
        EXPECT_TRUE(failed.bitmap.empty());
        EXPECT_EQ(failed.error.find('\n'), std::string::npos) << failed.error;
    }
}

}  // namespace
}  // namespace dw
