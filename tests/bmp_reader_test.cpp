#include <fstream>
#include <sstream>

#include "readers/bmp_reader.h"
#include "readers/bmp_writer.h"
#include "support/test_support.h"

namespace dw {

// The refusals and the pixels of the made files are in
// tests/data/expected/hand-worked-decodes.txt; a row whose padding is missing
// at the end of the file is read as far as it goes.
TEST(BmpMade, LastRowWithoutItsPaddingIsRead)
{
    EXPECT_EQ(test::decodeData("made/bmp/last-padding-missing.bmp").value().pixel(6, 0), 0x266AC8u);
}

// The suite's own renderings (tests/data/expected/bmp-suite-renderings.txt:
// each rendering, then the files that must match it), for every file whose
// rendering is opaque and 8 bits per channel. Run-length files that skip
// pixels match the rendering with black for the skipped pixels.
TEST(BmpSuite, PicturesMatchTheSuitesRenderings)
{
    std::ifstream lines(test::testdata("expected/bmp-suite-renderings.txt"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string reference;
        words >> reference;
        const Result<Bitmap> expected = test::decodeData("bmp/bmpsuite/html/" + reference + ".png");
        ASSERT_TRUE(expected.ok()) << reference << ": " << expected.error();
        for (std::string file; words >> file;) {
            const Result<Bitmap> load = test::decodeData("bmp/bmpsuite/" + file + ".bmp");
            ASSERT_TRUE(load.ok()) << file << ": " << load.error();
            EXPECT_TRUE(load.value() == expected.value()) << file << " differs from " << reference;
        }
    }
}

TEST(BmpRobustness, EverySuiteFileAndEveryDamagedByteOrCutOfSmallFilesIsSurvived)
{
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::testdata("bmp")))
        if (entry.path().extension() == ".bmp") test::expectSane(decodeBmp(test::readFile(entry.path())), entry.path());
    for (const char* name : {"made/bmp/index-past-palette-8bit.bmp", "made/bmp/rle8.bmp", "made/bmp/masks-in-124.bmp"})
        test::expectDamagedCopiesSane(name, decodeBmp);
}

// Plain 24-bit bottom-up files written by another program come back byte for
// byte from the BMP writer.
TEST(BmpSuite, PhotoBmpsSurviveADecodeAndReencodeUnchanged)
{
    for (const char* name : {"shira_bird8.bmp", "vgl_6434_0018a.bmp", "vgl_6548_0026a.bmp"}) {
        const std::vector<uint8_t> file = test::readFile(test::testdata(std::string("bmp/libjpeg-turbo/") + name));
        const std::vector<uint8_t> again = encodeBmp24(decodeBmp(file).value());
        ASSERT_EQ(again.size(), file.size()) << name;
        EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), again.begin() + 54)) << name;
    }
}

}  // namespace dw
