#include <fstream>
#include <sstream>

#include "readers/bmp_reader.h"
#include "readers/bmp_writer.h"
#include "support/test_support.h"

namespace dw {

// Palette entry i of the run-length files is grey 16 (i + 1), so index 0
// differs from the black of pixels never written.
constexpr uint32_t step(int index) { return (16 * (index + 1)) * 0x010101u; }

// The suite renderings further down pin every depth, the 5-5-5 and 5-6-5
// scaling, OS/2 headers and ordinary run-length files; these are the cases
// they leave open (files listed in tests/data/README.md).
TEST(BmpMade, PalettesRunLengthsMasksAndShortRowsGiveThePixelsWorkedOutByHand)
{
    const uint32_t s5 = step(5);
    test::expectPixels({
        {"made/bmp/index-past-palette-4bit.bmp", {0xFF0000, 0x808080, 0}},
        {"made/bmp/index-past-palette-8bit.bmp", {0xFF0000, 0}},
        {"made/bmp/rle8.bmp", {0, step(1), step(2), step(3), 0, 0, 0, 0, s5, s5, s5, 0}},
        {"made/bmp/rle4.bmp", {step(3), step(4), step(5), 0, step(1), step(2), step(1), step(2)}},
        {"made/bmp/rle-run-clipped.bmp", {0, 0, 0, 0, step(7), step(7), step(7), step(7)}},
        {"made/bmp/rle-delta-past.bmp", std::vector<uint32_t>(8, 0)},
        {"made/bmp/masks-in-40.bmp", {0x112233}},
        {"made/bmp/masks-in-108.bmp", {0x112233}},
        {"made/bmp/masks-in-124.bmp", {0x112233}},
    });
    EXPECT_EQ(test::decodeData("made/bmp/last-padding-missing.bmp").value().pixel(6, 0), 0x266AC8u);
}

TEST(BmpRefusals, ImpossibleOversizedOrShortFilesGiveTheirSentenceAndNoPicture)
{
    test::expectRefused({
        {"made/bmp/too-many-pixels.bmp",
         "the BMP picture of 8192x8193 pixels is larger than the limit of 16384 pixels a side and 64 megapixels"},
        {"made/bmp/compression-7.bmp", "the BMP compression method 7 is unknown"},
        {"made/bmp/rle8-24bit.bmp", "a run-length compressed BMP picture cannot have 24 bits per pixel"},
        {"made/bmp/pixels-short.bmp",
         "the BMP pixel data is truncated: the 7x3 picture needs 69 bytes but the file holds 68"},
        {"bmp/bmpsuite/b/reallybig.bmp",
         "the BMP picture of 3000000x2000000 pixels is larger than the limit of 16384 pixels a side and 64 megapixels"},
        {"bmp/bmpsuite/b/rletopdown.bmp", "a run-length compressed BMP picture cannot be stored top-down"},
        {"bmp/bmpsuite/b/badbitcount.bmp", "BMP pictures of 30000 bits per pixel are not supported"},
        {"bmp/bmpsuite/b/badheadersize.bmp", "the BMP header size 66 belongs to no known BMP version"},
        {"bmp/bmpsuite/b/badplanes.bmp", "the BMP picture claims 30000 colour planes instead of 1"},
        {"bmp/bmpsuite/b/badwidth.bmp", "the BMP picture claims a size of -127x64 pixels"},
        {"bmp/bmpsuite/b/shortfile.bmp",
         "the BMP pixel data is truncated: the 127x64 picture needs 1024 bytes but the file holds 211"},
        {"bmp/bmpsuite/q/pal1huffmsb.bmp", "OS/2 Huffman-compressed BMP pictures are not supported"},
        {"bmp/bmpsuite/q/rgb24jpeg.bmp", "BMP files holding an embedded JPEG or PNG picture are not supported"},
        {"bmp/bmpsuite/q/rgb24png.bmp", "BMP files holding an embedded JPEG or PNG picture are not supported"},
        {"bmp/bmpsuite/q/rgb24rle24.bmp", "OS/2 RLE24-compressed BMP pictures are not supported"},
        {"bmp/bmpsuite/q/rgba64.bmp", "BMP pictures of 64 bits per pixel are not supported"},
        {"bmp/bmpsuite/x/ba-bm.bmp", "not a BMP file: it does not start with \"BM\" and a header"},
    });
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
