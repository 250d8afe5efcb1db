#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "readers/png_reader.h"
#include "readers/tga_reader.h"
#include "support/test_support.h"

namespace dw {
namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;

// A TGA file's header fields, grey and top row first unless a case says otherwise.
struct TgaLayout {
    int imageType = 3, width = 1, height = 1, depth = 8, descriptor = 32;
    int mapType = 0, mapFirst = 0, mapLength = 0, mapEntryBits = 0;
    Bytes id{}, map{}, pixels{};
};

void put16(Bytes& out, int value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

Bytes words(std::initializer_list<int> values)
{
    Bytes out;
    for (int value : values)
        put16(out, value);
    return out;
}

Bytes tgaFile(const TgaLayout& s)
{
    Bytes out = {uint8_t(s.id.size()), uint8_t(s.mapType), uint8_t(s.imageType)};
    for (int value : {s.mapFirst, s.mapLength})
        put16(out, value);
    out.push_back(static_cast<uint8_t>(s.mapEntryBits));
    for (int value : {0, 0, s.width, s.height})
        put16(out, value);
    out.insert(out.end(), {uint8_t(s.depth), uint8_t(s.descriptor)});
    for (const Bytes* part : {&s.id, &s.map, &s.pixels})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}

using test::pixelsOf;

constexpr uint32_t grey(uint32_t level) { return level * 0x010101u; }

// Four indices 2 0 3 1 into a map of three entries that claims to start at 5.
TgaLayout mapped(int entryBits, Bytes map)
{
    return {.imageType = 1, .width = 4, .mapType = 1, .mapFirst = 5, .mapLength = 3, .mapEntryBits = entryBits,
            .map = std::move(map), .pixels = {2, 0, 3, 1}};
}

// The corner orders and the plain true-colour and grey layouts are pinned
// by the suites further down; these are the cases they leave open.
TEST(TgaReader, HandMadeFilesGiveThePixelsWorkedOutByHand)
{
    const Bytes fiveBitWords = words({0x7FFF, 0xFFFF, 0x001F, 0x03E0, 0x7C00});
    const Pixels fiveBit = {grey(248), grey(248), 248u << 16, 248u << 8, 248u};
    const Pixels fromMap = {0x070809, 0x010203, 0, 0x040506};  // index 3 lies past the map: black
    const Pixels fromFiveBitMap = {248u << 16, 248u, 0, 248u << 8};
    TgaLayout wideMap{.imageType = 1, .width = 2, .depth = 16, .mapType = 1, .mapLength = 300, .mapEntryBits = 24,
                      .map = Bytes(300 * 3, 0), .pixels = words({299, 300})};
    wideMap.map[299 * 3] = 0x40;
    const struct {
        std::string what;
        TgaLayout layout;
        Pixels expected;
    } cases[] = {
        // 5-bit channels are scaled by 8; bit 15 is ignored.
        {"15-bit", {.imageType = 2, .width = 5, .depth = 15, .pixels = fiveBitWords}, fiveBit},
        {"16-bit", {.imageType = 2, .width = 5, .depth = 16, .pixels = fiveBitWords}, fiveBit},
        // The map's first-index field is not used.
        {"24-bit map", mapped(24, {1, 2, 3, 4, 5, 6, 7, 8, 9}), fromMap},
        {"32-bit map without its fourth byte", mapped(32, {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99}), fromMap},
        {"15-bit map", mapped(15, words({0x7C00, 0x03E0, 0x801F})), fromFiveBitMap},
        {"16-bit map", mapped(16, words({0x7C00, 0x03E0, 0x801F})), fromFiveBitMap},
        {"grey skips its map", {.width = 2, .mapType = 1, .mapLength = 2, .mapEntryBits = 24, .map = {9, 9, 9, 8, 8, 8},
                                .pixels = {0, 200}}, {0, grey(200)}},
        {"16-bit indices reach the whole map", wideMap, {0x400000, 0}},
        {"image ID skipped", {.id = {'a', 'b', 'c'}, .pixels = {42}}, {grey(42)}},
        // A run of 3, a literal pair straddling the row end, a run of 3.
        {"packets run on into the next row", {.imageType = 11, .width = 4, .height = 2,
                                              .pixels = {0x82, 9, 0x01, 5, 6, 0x82, 1}},
         {grey(9), grey(9), grey(9), grey(5), grey(6), grey(1), grey(1), grey(1)}},
        {"a run of 128 stops at the last pixel", {.imageType = 10, .width = 2, .depth = 24,
                                                  .pixels = {0xFF, 1, 2, 3, 0x7F, 4, 5, 6}},
         {0x010203, 0x010203}},
        // Files ending early: pixels never read stay black, whatever map entry 0 says.
        {"mapped, cut after one pixel", {.imageType = 1, .width = 3, .mapType = 1, .mapLength = 2, .mapEntryBits = 24,
                                         .map = {255, 255, 255, 0, 0, 255}, .pixels = {1}},
         {0x0000FF, 0, 0}},
        {"bottom-up, cut after the bottom row", {.height = 2, .descriptor = 0, .pixels = {77}}, {0, grey(77)}},
        {"run value cut off", {.imageType = 10, .width = 3, .depth = 24, .pixels = {0x00, 1, 2, 3, 0x81, 4}},
         {0x010203, 0, 0}},
    };
    for (const auto& c : cases) {
        const PictureLoad load = decodeTga(tgaFile(c.layout));
        ASSERT_TRUE(load.ok()) << c.what << ": " << load.error;
        EXPECT_EQ(pixelsOf(load.bitmap), c.expected) << c.what;
    }
}

TEST(TgaReader, ReaderKeepsAlphaIndicesAndWhichPixelsItRead)
{
    TTga tga;
    ASSERT_TRUE(tga.loadFromBytes(tgaFile({.imageType = 2, .depth = 32, .pixels = {1, 2, 3, 4}})));
    EXPECT_EQ(tga.format(), TTga::Format::bgra32);
    EXPECT_EQ(tga.pixels(), (Bytes{1, 2, 3, 4}));
    ASSERT_TRUE(tga.loadFromBytes(tgaFile(mapped(24, Bytes(9, 0)))));
    EXPECT_EQ(tga.format(), TTga::Format::indexed8);
    EXPECT_EQ(tga.pixels(), (Bytes{2, 0, 3, 1}));
    ASSERT_TRUE(tga.loadFromBytes(tgaFile({.imageType = 10, .width = 2, .depth = 24, .pixels = {0xFF, 1, 2, 3}})));
    EXPECT_TRUE(tga.complete());
    ASSERT_TRUE(tga.loadFromBytes(tgaFile({.height = 2, .descriptor = 0, .pixels = {77}})));
    EXPECT_FALSE(tga.complete());
    EXPECT_FALSE(tga.pixelDecoded(0, 0));
    EXPECT_TRUE(tga.pixelDecoded(0, 1));
}

TEST(TgaReader, HeadersThatCannotGiveARightPictureAreRefused)
{
    const std::string limit = " pixels exceed the limit of 16384 pixels a side and 67108864 pixels in all";
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {Bytes(17, 0), "the TGA file is too short to hold its header"},
        {tgaFile({.width = 0, .pixels = {1}}), "the TGA picture has zero width or height"},
        {tgaFile({.height = 0, .pixels = {1}}), "the TGA picture has zero width or height"},
        {tgaFile({.width = 16385}), "the picture's 16385x1" + limit},
        {tgaFile({.width = 8193, .height = 8192}), "the picture's 8193x8192" + limit},
        {tgaFile({.imageType = 0}), "TGA image type 0 is not supported"},
        {tgaFile({.imageType = 32}), "TGA image type 32 is not supported"},
        {tgaFile({.imageType = 3, .depth = 24}), "TGA pixel depth 24 is not supported for image type 3"},
        {tgaFile({.imageType = 2, .depth = 8}), "TGA pixel depth 8 is not supported for image type 2"},
        {tgaFile({.imageType = 10, .depth = 4}), "TGA pixel depth 4 is not supported for image type 10"},
        {tgaFile({.imageType = 1, .pixels = {0}}), "the colour-mapped TGA picture has no colour map"},
    };
    for (const auto& [file, sentence] : cases) {
        const PictureLoad load = decodeTga(file);
        EXPECT_EQ(load.error, sentence);
        EXPECT_TRUE(load.bitmap.empty()) << sentence;
    }
}

Bitmap decodedFile(const std::string& relative)
{
    const std::vector<uint8_t> file = test::readFile(test::testdata("tga/" + relative));
    const PictureLoad load = relative.ends_with(".png") ? decodePng(file) : decodeTga(file);
    EXPECT_TRUE(load.ok()) << relative << ": " << load.error;
    return load.bitmap;
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
        if (tga.loadFromBytes(test::readFile(entry.path()))) {
            // Headers that hold up but data that ends too soon.
            EXPECT_TRUE(name == "overfull-image.tga" || name == "slice-copy-length.tga") << name;
            EXPECT_FALSE(tga.complete()) << name;
        } else {
            EXPECT_FALSE(tga.error().empty()) << name;
            EXPECT_EQ(tga.width(), 0) << name;
        }
    }
}

// Whatever a damaged file holds, the answer is a picture of a sound size or
// a sentence with no picture.
TEST(TgaRobustness, EveryDamagedByteAndEveryCutOfASmallFileIsSurvived)
{
    const auto expectSane = [](const Bytes& file) {
        const PictureLoad load = decodeTga(file);
        EXPECT_EQ(load.ok(), !load.bitmap.empty());
        EXPECT_LE(std::max(load.bitmap.width(), load.bitmap.height()), maxPictureSide);
        EXPECT_EQ(load.bitmap.rgb().size(), size_t(load.bitmap.width()) * load.bitmap.height() * 3);
    };
    for (const char* name : {"ftrvxmtrx/rgb32_top_left_rle_colormap.tga", "image-rs/b5-cmap.tga"}) {
        const Bytes sound = test::readFile(test::testdata(std::string("tga/") + name));
        ASSERT_FALSE(sound.empty());
        test::forEachDamagedCopy(sound, expectSane);
    }
}

}  // namespace
}  // namespace dw
