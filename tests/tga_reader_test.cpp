#include <fstream>

#include "readers/tga_reader.h"
#include "support/test_support.h"

namespace dw {

constexpr uint32_t grey(uint32_t level) { return level * 0x010101u; }

// The corner orders and the plain true-colour and grey layouts are pinned
// by the suites further down; these are the cases they leave open (files
// listed in tests/data/README.md). The map files hold indices 2 0 3 1 into
// three entries whose first-index field says 5.
TEST(TgaMade, FiveBitColoursMapsRunsAndEarlyEndsGiveThePixelsWorkedOutByHand)
{
    const std::vector<uint32_t> fiveBit = {grey(248), grey(248), 248u << 16, 248u << 8, 248u};
    const std::vector<uint32_t> fromMap = {0x070809, 0x010203, 0, 0x040506};  // index 3 lies past the map: black
    test::expectPixels({
        // 5-bit channels are scaled by 8; bit 15 is ignored.
        {"made/tga/15bit.tga", fiveBit},
        {"made/tga/16bit.tga", fiveBit},
        // The map's first-index field is not used.
        {"made/tga/map24-first-5.tga", fromMap},
        {"made/tga/map32.tga", fromMap},
        {"made/tga/map16.tga", {248u << 16, 248u, 0, 248u << 8}},
        {"made/tga/grey-with-map.tga", {0, grey(200)}},
        {"made/tga/map300-16bit-indices.tga", {0x400000, 0}},
        {"made/tga/run-128-on-2.tga", {0x010203, 0x010203}},
        // Files ending early: pixels never read stay black, whatever map entry 0 says.
        {"made/tga/cut-mapped.tga", {0x0000FF, 0, 0}},
        {"made/tga/cut-bottom-up.tga", {0, grey(77)}},
        {"made/tga/cut-run-value.tga", {0x010203, 0, 0}},
    });
}

TEST(TgaMade, HeadersThatCannotGiveARightPictureAreRefused)
{
    test::expectRefused({
        {"made/tga/header-short.tga", "the TGA file is too short to hold its header"},
        {"made/tga/zero-width.tga", "the TGA picture has zero width or height"},
        {"made/tga/too-wide.tga",
         "the picture's 16385x1 pixels exceed the limit of 16384 pixels a side and 67108864 pixels in all"},
        {"made/tga/type-32.tga", "TGA image type 32 is not supported"},
        {"made/tga/grey-24bit.tga", "TGA pixel depth 24 is not supported for image type 3"},
        {"made/tga/mapped-no-map.tga", "the colour-mapped TGA picture has no colour map"},
    });
}

Bitmap decodedFile(const std::string& relative)
{
    const Result<Bitmap> load = test::decodeData("tga/" + relative);
    EXPECT_TRUE(load.ok()) << relative << ": " << load.error();
    return load.value();
}

// Each line of tests/data/expected/tga-suite-decodes.txt names a sample, its
// expected picture and the bits per channel compared. Where the suites'
// expected files differ from what this reader does on purpose:
// - 5-bit channels (utc16, ctc16, ucm8, ccm8 with their 16-bit map, b5-*):
//   the expected files widen them by rounding or bit replication, this
//   reader multiplies by 8 (white is 248); compared on the top five bits.
// - cmap_offset.tga: its map starts at index 39 and the expected file looks
//   pixel v up at entry v - 39; this reader uses entry v (the first-index
//   field is not used), so only its size is compared.
// - Alpha (32-bit and grey + alpha files) is kept in TTga but not compared:
//   the bitmap has none.
TEST(TgaSuites, SamplesDecodeToTheirExpectedPictures)
{
    std::ifstream lines(test::testdata("expected/tga-suite-decodes.txt"));
    std::string file, expected;
    int bits = 0;
    while (lines >> file >> expected >> bits) {
        Bitmap reference = decodedFile(expected);
        for (uint8_t& byte : reference.rgb()) byte &= static_cast<uint8_t>(0xFF << (8 - bits));
        EXPECT_EQ(decodedFile(file), reference) << file;
    }
    const Bitmap offsetMap = decodedFile("image-rs/cmap_offset.tga");
    EXPECT_EQ(std::make_pair(offsetMap.width(), offsetMap.height()), std::make_pair(12, 6));
}

TEST(TgaSuites, CorruptSamplesFailWithASentenceOrKeepWhatWasRead)
{
    for (const auto& entry : std::filesystem::directory_iterator(test::testdata("tga/image-rs/corrupt"))) {
        const std::string name = entry.path().filename().string();
        TTga tga;
        const Status loaded = tga.loadFromBytes(test::readFile(entry.path()));
        if (loaded) {
            // Headers that hold up but data that ends too soon.
            EXPECT_TRUE(name == "overfull-image.tga" || name == "slice-copy-length.tga") << name;
            EXPECT_FALSE(tga.complete()) << name;
        } else {
            EXPECT_FALSE(loaded.error().empty()) << name;
            EXPECT_EQ(tga.width(), 0) << name;
        }
    }
}

TEST(TgaRobustness, EveryDamagedByteAndEveryCutOfASmallFileIsSurvived)
{
    for (const char* name : {"tga/ftrvxmtrx/rgb32_top_left_rle_colormap.tga", "tga/image-rs/b5-cmap.tga"})
        test::expectDamagedCopiesSane(name, decodeTga);
}

}  // namespace dw
