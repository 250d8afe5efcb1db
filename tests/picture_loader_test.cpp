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

// 1x1 uncompressed true-colour TGA holding blue 0x30, green 0x20, red 0x10.
std::vector<uint8_t> tgaBytes()
{
    return {0, 0, 2,  0, 0, 0, 0, 0,  0, 0, 0, 0,  1, 0, 1, 0,  24, 0,  0x30, 0x20, 0x10};
}

// The contents of each file say which reader can read it; a reader chosen
// wrongly fails on them.
class PictureLoader : public ::testing::Test {
protected:
    test::ScratchDir scratch;
    const Bitmap pngPicture = twoPixels(0x0000FF, 0x00FF00);
    const Bitmap bmpPicture = twoPixels(0xFF0000, 0x123456);
    const std::vector<uint8_t> pngFile = encodePng(pngPicture);
    const std::vector<uint8_t> bmpFile = encodeBmp24(bmpPicture);
    const std::vector<uint8_t> jpegFile = test::readFile(test::testdata("jpeg/pillow/hopper.jpg"));
    const std::vector<uint8_t> gifFile = test::readFile(test::testdata("gif/giflib/treescap.gif"));

    PictureLoad load(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        test::writeFile(scratch.path() / name, bytes);
        return loadPicture((scratch.path() / name).string());
    }
};

TEST_F(PictureLoader, FirstExtensionFoundInTheLowerCasedNameChoosesTheReader)
{
    for (const char* name : {"photo.PNG", "a.png.bmp", "b.tga.png", "c.PnG.jpg"}) {
        const PictureLoad result = load(name, pngFile);
        ASSERT_TRUE(result.ok()) << name << ": " << result.error;
        EXPECT_TRUE(result.bitmap == pngPicture) << name;
    }
    for (const char* name : {"x.jpeg", "y.JPG", "z.gif.jpg", "w.JPEG.bmp"}) {
        const PictureLoad result = load(name, jpegFile);
        ASSERT_TRUE(result.ok()) << name << ": " << result.error;
        EXPECT_EQ(result.bitmap.width(), 128) << name;
    }
    for (const char* name : {"v.GIF", "u.gif.bmp"}) {
        const PictureLoad result = load(name, gifFile);
        ASSERT_TRUE(result.ok()) << name << ": " << result.error;
        EXPECT_EQ(result.bitmap.width(), 40) << name;
    }
    for (const char* name : {"t.BMP", "s.bmp.old"}) {
        const PictureLoad result = load(name, bmpFile);
        ASSERT_TRUE(result.ok()) << name << ": " << result.error;
        EXPECT_TRUE(result.bitmap == bmpPicture) << name;
    }
    const PictureLoad tga = load("r.Tga", tgaBytes());
    ASSERT_TRUE(tga.ok()) << tga.error;
    EXPECT_EQ(tga.bitmap.pixel(0, 0), 0x302010u);
}

TEST_F(PictureLoader, NameWithoutAKnownExtensionGivesAnEmptyPictureAndNoError)
{
    for (const char* name : {"noext", "picture.txt", "dotpng", "x.jp", "y.bm"}) {
        const PictureLoad result = load(name, pngFile);
        EXPECT_TRUE(result.ok()) << name;
        EXPECT_TRUE(result.bitmap.empty()) << name;
    }
    EXPECT_TRUE(loadPicture("").ok());
    EXPECT_TRUE(loadPicture("").bitmap.empty());
}

TEST_F(PictureLoader, FilesThatCannotBeReadGiveASentenceNamingFileAndReason)
{
    const std::string missing = (scratch.path() / "missing.png").string();
    PictureLoad result = loadPicture(missing);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error.find(missing), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;

    std::filesystem::create_directory(scratch.path() / "folder.bmp");
    result = loadPicture((scratch.path() / "folder.bmp").string());
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.bitmap.empty());

    result = load("empty.gif", {});
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.bitmap.empty());
}

TEST_F(PictureLoader, DecoderErrorsReachTheCaller)
{
    const PictureLoad result = load("png-bytes.bmp.jpg", pngFile);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.bitmap.empty());
    EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
}

}  // namespace
}  // namespace dw
