#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "readers/png_reader.h"
#include "readers/tga_reader.h"
#include "support/test_support.h"

namespace dw {
namespace {

using Bytes = std::vector<uint8_t>;

struct TgaLayout {
    int imageType = 3;
    int width = 1;
    int height = 1;
    int depth = 8;
    int descriptor = 32;  // top row first unless a test says otherwise
    int mapType = 0;
    int mapFirst = 0;
    int mapLength = 0;
    int mapEntryBits = 0;
    Bytes id{};
    Bytes map{};
    Bytes pixels{};
};

void put16(Bytes& out, int value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

Bytes tgaFile(const TgaLayout& s)
{
    Bytes out = {static_cast<uint8_t>(s.id.size()), static_cast<uint8_t>(s.mapType), static_cast<uint8_t>(s.imageType)};
    put16(out, s.mapFirst);
    put16(out, s.mapLength);
    out.push_back(static_cast<uint8_t>(s.mapEntryBits));
    put16(out, 0);
    put16(out, 0);
    put16(out, s.width);
    put16(out, s.height);
    out.push_back(static_cast<uint8_t>(s.depth));
    out.push_back(static_cast<uint8_t>(s.descriptor));
    for (const Bytes* part : {&s.id, &s.map, &s.pixels})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}

Bitmap decoded(const TgaLayout& layout)
{
    const PictureLoad load = decodeTga(tgaFile(layout));
    EXPECT_TRUE(load.ok()) << load.error;
    return load.bitmap;
}

// Red + 256 green + 65536 blue of every pixel, top row first.
std::vector<uint32_t> pixelsOf(const Bitmap& bitmap)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            pixels.push_back(bitmap.pixel(x, y));
    return pixels;
}

constexpr uint32_t grey(uint32_t level) { return level * 0x010101u; }

TEST(TgaOrder, DescriptorBitsChooseTheCornerOfTheFirstStoredPixel)
{
    TgaLayout layout{.width = 2, .height = 2, .pixels = {1, 2, 3, 4}};
    layout.descriptor = 0;  // bottom-up: the first stored row is the bottom row
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{grey(3), grey(4), grey(1), grey(2)}));
    layout.descriptor = 32;
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{grey(1), grey(2), grey(3), grey(4)}));
    layout.descriptor = 16;  // bottom-up, right to left
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{grey(4), grey(3), grey(2), grey(1)}));
    layout.descriptor = 48;
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{grey(2), grey(1), grey(4), grey(3)}));
}

TEST(TgaPixels, FiveBitChannelsAreScaledByEightAndBitFifteenIgnored)
{
    for (int depth : {15, 16}) {
        TgaLayout layout{.imageType = 2, .width = 5, .depth = depth};
        for (int word : {0x7FFF, 0xFFFF, 0x001F, 0x03E0, 0x7C00})
            put16(layout.pixels, word);
        EXPECT_EQ(pixelsOf(decoded(layout)),
                  (std::vector<uint32_t>{grey(248), grey(248), 248u << 16, 248u << 8, 248u}))
            << depth;
    }
}

TEST(TgaPixels, TrueColourBytesAreBlueGreenRedWithAlphaKeptInTheReader)
{
    TTga tga;
    ASSERT_TRUE(tga.loadFromBytes(tgaFile({.imageType = 2, .depth = 32, .pixels = {1, 2, 3, 4}})));
    EXPECT_EQ(tga.format(), TTga::Format::bgra32);
    EXPECT_EQ(tga.pixels(), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(tga.toBitmap().pixel(0, 0), 3u + 256u * 2 + 65536u * 1);

    EXPECT_EQ(decoded({.imageType = 2, .depth = 24, .pixels = {10, 20, 30}}).pixel(0, 0), 30u + 256u * 20 + 65536u * 10);
}

TEST(TgaPixels, SixteenBitGreyIsGreyThenAlpha)
{
    EXPECT_EQ(pixelsOf(decoded({.imageType = 3, .width = 2, .depth = 16, .pixels = {0x50, 0x99, 0xFF, 0x00}})),
              (std::vector<uint32_t>{grey(0x50), grey(0xFF)}));
}

TEST(TgaColourMap, EveryEntrySizeDecodesAndTheFirstIndexFieldIsNotUsed)
{
    TgaLayout layout{.imageType = 1, .width = 4, .mapType = 1, .mapFirst = 5, .mapLength = 3, .mapEntryBits = 24,
                 .map = {1, 2, 3, 4, 5, 6, 7, 8, 9}, .pixels = {2, 0, 3, 1}};
    TTga tga;
    ASSERT_TRUE(tga.loadFromBytes(tgaFile(layout)));
    EXPECT_EQ(tga.format(), TTga::Format::indexed8);
    EXPECT_EQ(tga.pixels(), (Bytes{2, 0, 3, 1}));
    // Index 3 lies past the three entries: black.
    EXPECT_EQ(pixelsOf(tga.toBitmap()), (std::vector<uint32_t>{0x070809u, 0x010203u, 0u, 0x040506u}));

    layout.mapEntryBits = 32;  // the fourth byte is not a colour
    layout.map = {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99};
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{0x070809u, 0x010203u, 0u, 0x040506u}));

    for (int bits : {15, 16}) {
        layout.mapEntryBits = bits;
        layout.map.clear();
        for (int word : {0x7C00, 0x03E0, 0x801F})
            put16(layout.map, word);
        EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{248u << 16, 248u, 0u, 248u << 8})) << bits;
    }
}

TEST(TgaColourMap, GreyPicturesUseTheRampAndSkipAnyMap)
{
    const TgaLayout layout{.imageType = 3, .width = 2, .mapType = 1, .mapLength = 2, .mapEntryBits = 24,
                       .map = {9, 9, 9, 8, 8, 8}, .pixels = {0, 200}};
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{0u, grey(200)}));
}

TEST(TgaColourMap, SixteenBitIndicesReachTheWholeMap)
{
    TgaLayout layout{.imageType = 1, .width = 2, .depth = 16, .mapType = 1, .mapLength = 300, .mapEntryBits = 24};
    layout.map.assign(300 * 3, 0);
    layout.map[299 * 3] = 0x40;
    put16(layout.pixels, 299);
    put16(layout.pixels, 300);
    EXPECT_EQ(pixelsOf(decoded(layout)), (std::vector<uint32_t>{0x400000u, 0u}));
}

TEST(TgaRunLength, PacketsRunOnIntoTheNextRowButNotPastTheLastPixel)
{
    // 4x2 grey: a run of 3, a literal pair that straddles the row end, a
    // run of 3.
    TgaLayout layout{.imageType = 11, .width = 4, .height = 2, .pixels = {0x82, 9, 0x01, 5, 6, 0x82, 1}};
    EXPECT_EQ(pixelsOf(decoded(layout)),
              (std::vector<uint32_t>{grey(9), grey(9), grey(9), grey(5), grey(6), grey(1), grey(1), grey(1)}));

    // A run of 128 into a 2-pixel picture, then a stray literal packet.
    layout = {.imageType = 10, .width = 2, .depth = 24, .pixels = {0xFF, 1, 2, 3, 0x7F, 4, 5, 6}};
    TTga tga;
    ASSERT_TRUE(tga.loadFromBytes(tgaFile(layout)));
    EXPECT_TRUE(tga.complete());
    EXPECT_EQ(pixelsOf(tga.toBitmap()), (std::vector<uint32_t>{0x010203u, 0x010203u}));
}

TEST(TgaTruncation, PixelsNeverReadStayBlackWhateverTheMapSays)
{
    // Map entry 0 is white; the file holds only the first of three pixels.
    const TgaLayout mapped{.imageType = 1, .width = 3, .mapType = 1, .mapLength = 2, .mapEntryBits = 24,
                         .map = {255, 255, 255, 0, 0, 255}, .pixels = {1}};
    TTga tga;
    ASSERT_TRUE(tga.loadFromBytes(tgaFile(mapped)));
    EXPECT_FALSE(tga.complete());
    EXPECT_EQ(pixelsOf(tga.toBitmap()), (std::vector<uint32_t>{0x0000FFu, 0u, 0u}));

    // Bottom-up: the one row read is the bottom row.
    const TgaLayout bottomUp{.width = 1, .height = 2, .descriptor = 0, .pixels = {77}};
    ASSERT_TRUE(tga.loadFromBytes(tgaFile(bottomUp)));
    EXPECT_FALSE(tga.pixelDecoded(0, 0));
    EXPECT_TRUE(tga.pixelDecoded(0, 1));
    EXPECT_EQ(pixelsOf(tga.toBitmap()), (std::vector<uint32_t>{0u, grey(77)}));

    // A run packet whose value is cut off, after one whole packet.
    const TgaLayout cutRun{.imageType = 10, .width = 3, .depth = 24, .pixels = {0x00, 1, 2, 3, 0x81, 4}};
    ASSERT_TRUE(tga.loadFromBytes(tgaFile(cutRun)));
    EXPECT_EQ(pixelsOf(tga.toBitmap()), (std::vector<uint32_t>{0x010203u, 0u, 0u}));
}

TEST(TgaHeader, ImageIdIsSkippedAndKeptForInformation)
{
    TTga tga;
    ASSERT_TRUE(tga.loadFromBytes(tgaFile({.id = {'a', 'b', 'c'}, .pixels = {42}})));
    EXPECT_EQ(tga.toBitmap().pixel(0, 0), grey(42));
    EXPECT_EQ(tga.info()[1], "image ID: abc");
}

TEST(TgaHeader, ExtensionAreaFieldsGoToTheInformationLines)
{
    TTga tga;
    ASSERT_TRUE(tga.loadFromFile(test::testdata("tga/truevision/ctc24.tga").string()));
    const std::vector<std::string> expected = {"author: Ricky True", "date: 1990-3-24 10:0:0", "job: TGA Utilities",
                                               "software: TGAEdit", "thumbnail: 64x64"};
    EXPECT_EQ(std::vector<std::string>(tga.info().end() - 5, tga.info().end()), expected);
    EXPECT_FALSE(tga.loadFromFile(test::testdata("tga/no-such-file.tga").string()));
}

TEST(TgaErrors, HeadersThatCannotGiveARightPictureAreRefused)
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

Bitmap expectedPicture(const std::string& relative)
{
    const PictureLoad load = decodePng(test::readFile(test::testdata("tga/" + relative)));
    EXPECT_TRUE(load.ok()) << relative << ": " << load.error;
    return load.bitmap;
}

Bitmap suitePicture(const std::string& relative)
{
    const PictureLoad load = decodeTga(test::readFile(test::testdata("tga/" + relative)));
    EXPECT_TRUE(load.ok()) << relative << ": " << load.error;
    return load.bitmap;
}

// Five-bit channels: the expected files widen them by rounding or by bit
// replication; this reader multiplies by 8. Both agree on the top five bits.
void expectSameTopFiveBits(const Bitmap& ours, Bitmap reference)
{
    for (uint8_t& byte : reference.rgb())
        byte &= 0xF8;
    EXPECT_EQ(ours, reference);
}

// Where the suites' expected files differ from what this reader does on
// purpose:
// - 5-bit channels (utc16, ctc16, ucm8, ccm8 with their 16-bit map, b5-*):
//   scaled by 8 here, so white is 248; compared on the top five bits.
// - cmap_offset.tga: its map starts at index 39 and the expected file looks
//   pixel v up at entry v - 39; this reader uses entry v (the first-index
//   field is not used), so only its size is compared.
// - Alpha (32-bit and grey + alpha files) is kept in TTga but not compared:
//   the bitmap has none.
TEST(TgaSuites, SamplesDecodeToTheirExpectedPictures)
{
    for (const char* name : {"ubw8", "cbw8"})
        EXPECT_EQ(suitePicture(std::string("truevision/") + name + ".tga"), expectedPicture("truevision/expected_bw.png"));
    for (const char* name : {"utc24", "ctc24", "utc32", "ctc32"})
        EXPECT_EQ(suitePicture(std::string("truevision/") + name + ".tga"), expectedPicture("truevision/expected_color.png"))
            << name;
    for (const char* name : {"utc16", "ctc16", "ucm8", "ccm8"}) {
        SCOPED_TRACE(name);
        expectSameTopFiveBits(suitePicture(std::string("truevision/") + name + ".tga"),
                              expectedPicture("truevision/expected_color.png"));
    }

    const std::vector<std::pair<std::string, std::string>> ftrvxmtrx = {
        {"monochrome8_bottom_left", "monochrome8"},     {"monochrome8_bottom_left_rle", "monochrome8"},
        {"monochrome16_top_left", "monochrome16"},      {"monochrome16_top_left_rle", "monochrome16"},
        {"rgb24_bottom_left_rle", "rgb24.0"},           {"rgb24_top_left", "rgb24.0"},
        {"rgb24_top_left_colormap", "rgb24.1"},         {"rgb32_bottom_left", "rgb32.0"},
        {"rgb32_top_left_rle", "rgb32.0"},              {"rgb32_top_left_rle_colormap", "rgb32.1"},
    };
    for (const auto& [file, expected] : ftrvxmtrx)
        EXPECT_EQ(suitePicture("ftrvxmtrx/" + file + ".tga"), expectedPicture("ftrvxmtrx/expected_" + expected + ".png"))
            << file;

    for (const std::string size : {"1x1", "200x32"})
        for (const std::string mode : {"l", "la", "p", "rgb", "rgba"})
            for (const std::string layout : {"_bl_raw", "_bl_rle", "_tl_raw", "_tl_rle"}) {
                if (size == "1x1" && mode != "l")
                    continue;
                EXPECT_EQ(suitePicture("pillow-gimp/" + size + "_" + mode + layout + ".tga"),
                          expectedPicture("pillow-gimp/expected_" + size + "_" + mode + ".png"))
                    << size << mode << layout;
            }

    for (const std::string corner : {"top_left", "top_right", "bottom_left", "bottom_right"})
        EXPECT_EQ(suitePicture("image-rs/" + corner + ".tga"), expectedPicture("image-rs/expected_" + corner + ".png"))
            << corner;
    for (const std::string name : {"b5-attrib", "b5-noattrib", "b5-cmap", "b5-unused-cmap"}) {
        SCOPED_TRACE(name);
        expectSameTopFiveBits(suitePicture("image-rs/" + name + ".tga"), expectedPicture("image-rs/expected_" + name + ".png"));
    }
    const Bitmap offsetMap = suitePicture("image-rs/cmap_offset.tga");
    EXPECT_EQ(offsetMap.width(), 12);
    EXPECT_EQ(offsetMap.height(), 6);
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
void expectSaneAnswer(const Bytes& file)
{
    const PictureLoad load = decodeTga(file);
    if (load.ok()) {
        EXPECT_GT(load.bitmap.width(), 0);
        EXPECT_LE(load.bitmap.width(), maxPictureSide);
        EXPECT_LE(load.bitmap.height(), maxPictureSide);
        EXPECT_EQ(load.bitmap.rgb().size(), size_t(load.bitmap.width()) * load.bitmap.height() * 3);
    } else {
        EXPECT_FALSE(load.error.empty());
        EXPECT_TRUE(load.bitmap.empty());
    }
}

TEST(TgaRobustness, EveryDamagedByteAndEveryCutOfASmallFileIsSurvived)
{
    for (const char* name : {"ftrvxmtrx/rgb32_top_left_rle_colormap.tga", "image-rs/b5-cmap.tga"}) {
        const Bytes sound = test::readFile(test::testdata(std::string("tga/") + name));
        ASSERT_FALSE(sound.empty());
        for (size_t i = 0; i < sound.size(); ++i) {
            for (uint8_t value : {uint8_t(0), uint8_t(0xFF), uint8_t(sound[i] ^ 0x01), uint8_t(sound[i] + 0x80)}) {
                Bytes damaged = sound;
                damaged[i] = value;
                expectSaneAnswer(damaged);
            }
            expectSaneAnswer(Bytes(sound.begin(), sound.begin() + i));
        }
    }
}

}  // namespace
}  // namespace dw
