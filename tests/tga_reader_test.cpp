

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

// Where the suites' expected files differ from what this reader does on
// purpose:
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
    std::vector<std::pair<std::string, std::string>> same = {
        {"truevision/ubw8", "truevision/expected_bw"}, {"truevision/cbw8", "truevision/expected_bw"}};
    for (const char* name : {"utc24", "ctc24", "utc32", "ctc32"})
        same.emplace_back(std::string("truevision/") + name, "truevision/expected_color");
    for (const auto& [file, expected] : std::vector<std::pair<std::string, std::string>>{
             {"monochrome8_bottom_left", "monochrome8"}, {"monochrome8_bottom_left_rle", "monochrome8"},
             {"monochrome16_top_left", "monochrome16"}, {"monochrome16_top_left_rle", "monochrome16"},
             {"rgb24_bottom_left_rle", "rgb24.0"}, {"rgb24_top_left", "rgb24.0"},
             {"rgb24_top_left_colormap", "rgb24.1"}, {"rgb32_bottom_left", "rgb32.0"},
             {"rgb32_top_left_rle", "rgb32.0"}, {"rgb32_top_left_rle_colormap", "rgb32.1"}})
        same.emplace_back("ftrvxmtrx/" + file, "ftrvxmtrx/expected_" + expected);
    for (const std::string size : {"1x1", "200x32"})
        for (const std::string mode : {"l", "la", "p", "rgb", "rgba"})
            for (const std::string layout : {"_bl_raw", "_bl_rle", "_tl_raw", "_tl_rle"})
                if (size != "1x1" || mode == "l")
                    same.emplace_back("pillow-gimp/" + size + "_" + mode + layout,
                                      "pillow-gimp/expected_" + size + "_" + mode);
    for (const std::string corner : {"top_left", "top_right", "bottom_left", "bottom_right"})
        same.emplace_back("image-rs/" + corner, "image-rs/expected_" + corner);
    for (const auto& [file, expected] : same)
        EXPECT_EQ(decodedFile(file + ".tga"), decodedFile(expected + ".png")) << file;

    std::vector<std::pair<std::string, std::string>> fiveBits;
    for (const char* name : {"utc16", "ctc16", "ucm8", "ccm8"})
        fiveBits.emplace_back(std::string("truevision/") + name, "truevision/expected_color");
    for (const std::string name : {"b5-attrib", "b5-noattrib", "b5-cmap", "b5-unused-cmap"})
        fiveBits.emplace_back("image-rs/" + name, "image-rs/expected_" + name);
    for (const auto& [file, expected] : fiveBits) {
        Bitmap reference = decodedFile(expected + ".png");
        for (uint8_t& byte : reference.rgb())
            byte &= 0xF8;
        EXPECT_EQ(decodedFile(file + ".tga"), reference) << file;
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
