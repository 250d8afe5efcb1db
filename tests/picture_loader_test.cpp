

#include <fstream>
#include <sstream>

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

// tests/data/expected/hand-worked-decodes.txt: small files made for the
// readers and suite files they must refuse, each with its pixels worked out
// by hand or "!" and the sentence it is refused with.
TEST(PictureLoader, HandWorkedFilesGiveTheirPixelsOrTheirSentence)
{
    std::ifstream lines(test::testdata("expected/hand-worked-decodes.txt"));
    int files = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        ++files;
        std::istringstream words(line);
        std::string name, refusal;
        words >> name >> std::ws;
        const Result<Bitmap> load = test::decodeData(name);
        if (words.peek() == '!') {
            std::getline(words.ignore(2), refusal);
            EXPECT_EQ(load.error(), refusal) << name;
            continue;
        }
        ASSERT_TRUE(load.ok()) << name << ": " << load.error();
        std::vector<uint32_t> pixels, expected;
        for (uint32_t pixel; words >> std::hex >> pixel;) expected.push_back(pixel);
        for (int y = 0; y < load->height(); ++y)
            for (int x = 0; x < load->width(); ++x) pixels.push_back(load->pixel(x, y));
        EXPECT_EQ(pixels, expected) << name;
    }
    EXPECT_EQ(files, 80);
}

}  // namespace dw
