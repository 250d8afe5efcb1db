#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "readers/bmp_reader.h"
#include "readers/bmp_writer.h"
#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {
namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;

constexpr uint32_t biRle8 = 1, biRle4 = 2, biBitfields = 3;

void put16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(Bytes& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A Windows BMP file as a writer would lay it out. Palette colours are
// 0xRRGGBB; masks go after a 40-byte header, or inside a longer one.
struct BmpLayout {
    int32_t width = 1, height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0, headerSize = 40;
    std::vector<uint32_t> masks{}, palette{};
    Bytes pixels{};
};

Bytes bmpBytes(const BmpLayout& layout)
{
    const uint32_t masksAfterHeader = layout.headerSize == 40 ? static_cast<uint32_t>(layout.masks.size()) * 4 : 0;
    const uint32_t offset = 14 + layout.headerSize + masksAfterHeader + static_cast<uint32_t>(layout.palette.size()) * 4;
    Bytes out = {'B', 'M'};
    for (uint32_t value : {offset + uint32_t(layout.pixels.size()), 0u, offset, layout.headerSize,
                           uint32_t(layout.width), uint32_t(layout.height)})
        put32(out, value);
    put16(out, 1);
    put16(out, layout.bits);
    for (uint32_t value : {layout.compression, uint32_t(layout.pixels.size()), 2835u, 2835u,
                           uint32_t(layout.palette.size()), 0u})
        put32(out, value);
    for (uint32_t mask : layout.masks)
        put32(out, mask);
    out.resize(14 + layout.headerSize + masksAfterHeader, 0);
    for (uint32_t colour : layout.palette)
        put32(out, colour);  // blue, green, red, 0
    out.insert(out.end(), layout.pixels.begin(), layout.pixels.end());
    return out;
}

PictureLoad decodeLayout(const BmpLayout& layout) { return decodeBmp(bmpBytes(layout)); }

// Bitmap::pixel packs red + 256 green + 65536 blue.
uint32_t packed(uint32_t rrggbb) { return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16); }

using test::pixelsOf;

// Palette entry i is grey 16 (i + 1), so index 0 differs from black.
std::vector<uint32_t> greySteps()
{
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back((16 * (i + 1)) * 0x010101u);
    return palette;
}

constexpr uint32_t step(int index) { return (16 * (index + 1)) * 0x010101u; }

Bytes rle(int32_t width, int32_t height, uint32_t compression, Bytes stream)
{
    return bmpBytes({.width = width, .height = height, .bits = uint16_t(compression == biRle4 ? 4 : 8),
                     .compression = compression, .palette = greySteps(), .pixels = std::move(stream)});
}

Bytes rle8Sample()
{
    return rle(4, 3, biRle8, {
        0x03, 0x05,                 // three of index 5 on the bottom row
        0x00, 0x00,                 // end of line
        0x00, 0x02, 0x01, 0x01,     // one right, one up: top row, x = 1
        0x00, 0x03, 1, 2, 3, 0x00,  // three literal indices, padded to even
        0x00, 0x01,                 // end of bitmap
        0x05, 0x07,                 // after the end: ignored
    });
}

// The suite renderings further down pin every depth, the 5-5-5 and 5-6-5
// scaling, OS/2 headers and ordinary run-length files; these are the cases
// they leave open.
TEST(BmpReader, HandMadeFilesGiveThePixelsWorkedOutByHand)
{
    const uint32_t red = 0xFF0000, blue = 0x0000FF, grey = 0x808080;
    const uint32_t b = packed(blue), s5 = step(5);
    const struct {
        std::string what;
        Bytes file;
        Pixels expected;
    } cases[] = {
        {"4 bits, index 15 past the palette",
         bmpBytes({.width = 3, .bits = 4, .palette = {red, blue, grey}, .pixels = {0x12, 0xF0, 0, 0}}),
         {b, packed(grey), 0}},
        {"8 bits, index 200 past the palette",
         bmpBytes({.width = 2, .bits = 8, .palette = {red, blue}, .pixels = {1, 200, 0, 0}}), {b, 0}},
        {"RLE8 runs, end of line, delta, absolute, end of bitmap", rle8Sample(),
         {0, step(1), step(2), step(3), 0, 0, 0, 0, s5, s5, s5, 0}},
        {"RLE4 runs alternate their nibbles, literal 3 4 5",
         rle(4, 2, biRle4, {0x04, 0x12, 0x00, 0x00, 0x00, 0x03, 0x34, 0x50, 0x00, 0x01}),
         {step(3), step(4), step(5), 0, step(1), step(2), step(1), step(2)}},
        {"RLE run of ten on a row of four is clipped, then the data stops", rle(4, 2, biRle8, {0x0A, 0x07, 0x02}),
         {0, 0, 0, 0, step(7), step(7), step(7), step(7)}},
        {"RLE delta far past the picture: what follows lands nowhere",
         rle(4, 2, biRle8, {0, 2, 0xFF, 0, 2, 3, 0, 3, 1, 2, 3, 0, 0, 2, 0, 0xFF, 2, 3}), Pixels(8, 0)},
    };
    for (const auto& c : cases) {
        const PictureLoad load = decodeBmp(c.file);
        ASSERT_TRUE(load.ok()) << c.what << ": " << load.error;
        EXPECT_EQ(pixelsOf(load.bitmap), c.expected) << c.what;
    }
    // Red in bits 8-15, green in 16-23, blue in 24-31, after or inside the header.
    for (const uint32_t headerSize : {40u, 108u, 124u}) {
        const PictureLoad load =
            decodeLayout({.bits = 32, .compression = biBitfields, .headerSize = headerSize,
                          .masks = {0x0000FF00, 0x00FF0000, 0xFF000000}, .pixels = {0x44, 0x33, 0x22, 0x11}});
        EXPECT_EQ(pixelsOf(load.bitmap), Pixels{packed(0x332211)}) << "header of " << headerSize << ": " << load.error;
    }
}

// 7 pixels of 3 bytes leave 3 padding bytes per row; stored row r has blue
// 16r + x and green 100 + x, and its padding is 0xEE.
Bytes sevenByThreeRows()
{
    Bytes pixels;
    for (int r = 0; r < 3; ++r) {
        for (int x = 0; x < 7; ++x)
            pixels.insert(pixels.end(), {uint8_t(16 * r + x), uint8_t(100 + x), 200});
        pixels.insert(pixels.end(), 3, 0xEE);
    }
    return pixels;
}

TEST(BmpReader, RowsSkipTheirPaddingAndRunBottomUpOrTopDownByTheHeightSign)
{
    for (const int32_t height : {3, -3}) {
        const PictureLoad load = decodeLayout({.width = 7, .height = height, .pixels = sevenByThreeRows()});
        ASSERT_TRUE(load.ok()) << load.error;
        ASSERT_EQ(std::make_pair(load.bitmap.width(), load.bitmap.height()), std::make_pair(7, 3));
        for (int r = 0; r < 3; ++r)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(load.bitmap.pixel(x, height > 0 ? 2 - r : r), 200u | (100u + x) << 8 | (16u * r + x) << 16)
                    << "height " << height << " stored row " << r << " x " << x;
    }
    // Short pixel data is refused, but a missing last-row padding is not:
    // two full rows of 24 bytes and 21 bytes of the last.
    Bytes pixels = sevenByThreeRows();
    pixels.resize(69);
    EXPECT_TRUE(decodeLayout({.width = 7, .height = 3, .pixels = pixels}).ok());
    pixels.resize(68);
    const PictureLoad load = decodeLayout({.width = 7, .height = 3, .pixels = pixels});
    EXPECT_NE(load.error.find("needs 69 bytes but the file holds 68"), std::string::npos) << load.error;
}

TEST(BmpReader, ImpossibleOrOversizedPicturesAreRefusedWithTheirSize)
{
    const std::vector<std::pair<BmpLayout, std::string>> cases = {
        {{.width = 0, .height = 1}, "0x1"},
        {{.width = -5, .height = 1}, "-5x1"},
        {{.width = 1, .height = 0}, "1x0"},
        {{.width = 16385, .height = 1}, "16385x1"},
        {{.width = 1, .height = -16385}, "1x16385"},
        {{.width = 8192, .height = 8193}, "8192x8193"},
        {{.compression = 7}, "compression method 7"},
        {{.bits = 24, .compression = biRle8}, "24 bits"},
        {{.bits = 64}, "64 bits"},
        {{.height = -1, .bits = 8, .compression = biRle8}, "top-down"},
    };
    for (const auto& [layout, named] : cases) {
        const PictureLoad load = decodeLayout(layout);
        EXPECT_NE(load.error.find(named), std::string::npos) << named << ": " << load.error;
        EXPECT_TRUE(load.bitmap.empty()) << named;
    }
}

// Every decode either fails with a sentence and no picture, or gives a
// picture within the limits whose pixels are all there.
void expectSane(const PictureLoad& load, const std::string& what)
{
    EXPECT_EQ(load.ok(), !load.bitmap.empty()) << what;
    EXPECT_LE(load.bitmap.width(), maxPictureSide) << what;
    EXPECT_LE(load.bitmap.height(), maxPictureSide) << what;
    EXPECT_EQ(load.bitmap.rgb().size(), size_t(load.bitmap.width()) * load.bitmap.height() * 3) << what;
}

TEST(BmpReader, EveryDamagedByteAndEveryTruncationGivesAnErrorOrASanePicture)
{
    Bytes indices;
    for (int i = 0; i < 24; ++i)
        indices.push_back(static_cast<uint8_t>(i % 20));
    const std::vector<Bytes> files = {
        bmpBytes({.width = 7, .height = 3, .bits = 8, .palette = greySteps(), .pixels = indices}),
        rle8Sample(),
        bmpBytes({.width = 3, .bits = 16, .compression = biBitfields, .headerSize = 124,
                  .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {1, 2, 3, 4, 5, 6, 0, 0}}),
    };
    for (const Bytes& file : files) {
        for (size_t at = 0; at < file.size(); ++at) {
            for (const uint8_t value : {uint8_t(0), uint8_t(0xFF), uint8_t(file[at] ^ 0x80), uint8_t(file[at] + 1)}) {
                Bytes damaged = file;
                damaged[at] = value;
                expectSane(decodeBmp(damaged), "byte " + std::to_string(at) + " = " + std::to_string(value));
            }
            expectSane(decodeBmp(Bytes(file.begin(), file.begin() + at)), "first " + std::to_string(at) + " bytes");
        }
    }
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
        const PictureLoad expected =
            decodePng(test::readFile(test::testdata("bmp/bmpsuite/html/" + reference + ".png")));
        ASSERT_TRUE(expected.ok()) << reference << ": " << expected.error;
        for (const std::string& file : files) {
            const PictureLoad load = decodeBmp(test::readFile(test::testdata("bmp/bmpsuite/" + file + ".bmp")));
            ASSERT_TRUE(load.ok()) << file << ": " << load.error;
            EXPECT_TRUE(load.bitmap == expected.bitmap) << file << " differs from " << reference;
        }
    }
}

TEST(BmpSuite, FilesThisReaderCannotShowAreRefusedInOneSentenceAndNoneCrashes)
{
    for (const char* file : {"b/badbitcount", "b/badheadersize", "b/badplanes", "b/badwidth", "b/reallybig",
                             "b/rletopdown", "b/shortfile", "q/pal1huffmsb", "q/rgb24jpeg", "q/rgb24png", "q/rgb24rle24",
                             "q/rgba64", "x/ba-bm"}) {
        const PictureLoad load = decodeBmp(test::readFile(test::testdata(std::string("bmp/bmpsuite/") + file + ".bmp")));
        EXPECT_FALSE(load.ok()) << file;
        EXPECT_EQ(load.error.find('\n'), std::string::npos) << file;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::testdata("bmp")))
        if (entry.path().extension() == ".bmp")
            expectSane(decodeBmp(test::readFile(entry.path())), entry.path().string());
}

// Plain 24-bit bottom-up files written by another program come back
// byte for byte from the BMP writer.
TEST(BmpSuite, PhotoBmpsSurviveADecodeAndReencodeUnchanged)
{
    for (const char* name : {"shira_bird8.bmp", "vgl_6434_0018a.bmp", "vgl_6548_0026a.bmp"}) {
        const Bytes file = test::readFile(test::testdata(std::string("bmp/libjpeg-turbo/") + name));
        const PictureLoad load = decodeBmp(file);
        ASSERT_TRUE(load.ok()) << name << ": " << load.error;
        const Bytes again = encodeBmp24(load.bitmap);
        ASSERT_EQ(again.size(), file.size()) << name;
        EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), again.begin() + 54)) << name;
    }
}

}  // namespace
}  // namespace dw
