

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

// The suite's own renderings, for every file whose rendering is opaque and
// 8 bits per channel. Run-length files that skip pixels match the rendering
// with black for the skipped pixels.
TEST(BmpSuite, PicturesMatchTheSuitesRenderings)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> renderings = {
        {"pal1", {"g/pal1", "g/pal1wb"}}, {"pal1bg", {"g/pal1bg"}}, {"pal1p1", {"q/pal1p1"}}, {"pal2", {"q/pal2"}},
        {"pal2color", {"q/pal2color"}}, {"pal4", {"g/pal4", "g/pal4rle"}}, {"pal4gs", {"g/pal4gs"}},
        {"pal8", {"g/pal8", "g/pal8-0", "g/pal8os2", "g/pal8rle", "g/pal8topdown", "g/pal8v4", "g/pal8v5", "q/pal8os2-hs",
                  "q/pal8os2-sz", "q/pal8os2sp", "q/pal8os2v2", "q/pal8os2v2-16", "q/pal8os2v2-sz", "q/pal8os2v2-40sz",
                  "q/pal8offs", "q/pal8oversizepal", "b/badpalettesize"}},
        {"pal8gs", {"g/pal8gs"}}, {"pal8w124", {"g/pal8w124"}}, {"pal8w125", {"g/pal8w125"}},
        {"pal8w126", {"g/pal8w126"}}, {"pal8nonsquare-e", {"g/pal8nonsquare"}}, {"pal4rletrns-b", {"q/pal4rletrns"}},
        {"pal4rlecut-b", {"q/pal4rlecut"}}, {"pal8rletrns-b", {"q/pal8rletrns"}}, {"pal8rlecut-b", {"q/pal8rlecut"}},
        {"rgb16", {"g/rgb16", "g/rgb16bfdef", "q/rgb16faketrns"}}, {"rgb16-565", {"g/rgb16-565", "g/rgb16-565pal"}},
        {"rgb16-231", {"q/rgb16-231"}}, {"rgb16-3103", {"q/rgb16-3103"}}, {"rgb16-880", {"b/rgb16-880"}},
        {"rgb24", {"g/rgb24", "g/rgb24pal", "g/rgb32", "g/rgb32bf", "g/rgb32bfdef", "q/rgb24largepal", "q/rgb24prof",
                   "q/rgb24lprof", "q/rgb32-xbgr", "q/rgb32h52", "q/rgb32fakealpha"}},
    };
    for (const auto& [reference, files] : renderings) {
        const Result<Bitmap> expected = test::decodeData("bmp/bmpsuite/html/" + reference + ".png");
        ASSERT_TRUE(expected.ok()) << reference << ": " << expected.error();
        for (const std::string& file : files) {
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
