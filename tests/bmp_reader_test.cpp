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

constexpr uint32_t biRle8 = 1;
constexpr uint32_t biRle4 = 2;
constexpr uint32_t biBitfields = 3;

void put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A Windows BMP file as a writer would lay it out. Palette colours are
// 0xRRGGBB; masks go after a 40-byte header, or inside a longer one.
struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    std::vector<uint32_t> masks{};
    std::vector<uint32_t> palette{};
    std::vector<uint8_t> pixels{};
};

std::vector<uint8_t> bmpBytes(const BmpLayout& layout)
{
    const uint32_t masksAfterHeader = layout.headerSize == 40 ? static_cast<uint32_t>(layout.masks.size()) * 4 : 0;
    const uint32_t offset = 14 + layout.headerSize + masksAfterHeader + static_cast<uint32_t>(layout.palette.size()) * 4;
    std::vector<uint8_t> out = {'B', 'M'};
    put32(out, offset + static_cast<uint32_t>(layout.pixels.size()));
    put32(out, 0);
    put32(out, offset);
    put32(out, layout.headerSize);
    put32(out, static_cast<uint32_t>(layout.width));
    put32(out, static_cast<uint32_t>(layout.height));
    put16(out, 1);
    put16(out, layout.bits);
    put32(out, layout.compression);
    put32(out, static_cast<uint32_t>(layout.pixels.size()));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, static_cast<uint32_t>(layout.palette.size()));
    put32(out, 0);
    for (uint32_t mask : layout.masks)
        put32(out, mask);
    out.resize(14 + layout.headerSize + masksAfterHeader, 0);
    for (uint32_t colour : layout.palette) {
        out.push_back(colour & 0xFF);
        out.push_back((colour >> 8) & 0xFF);
        out.push_back((colour >> 16) & 0xFF);
        out.push_back(0);
    }
    out.insert(out.end(), layout.pixels.begin(), layout.pixels.end());
    return out;
}

// Bitmap::pixel packs red + 256 green + 65536 blue.
uint32_t packed(uint32_t rrggbb)
{
    return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}

std::vector<uint32_t> rowOf(const Bitmap& bitmap, int y)
{
    std::vector<uint32_t> row;
    for (int x = 0; x < bitmap.width(); ++x)
        row.push_back(bitmap.pixel(x, y));
    return row;
}

PictureLoad decodeLayout(const BmpLayout& layout) { return decodeBmp(bmpBytes(layout)); }

TEST(BmpReader, OnePixelTakesBlueGreenRedInFileOrder)
{
    const PictureLoad load = decodeLayout({.pixels = {0x10, 0x20, 0x30, 0}});
    ASSERT_TRUE(load.ok()) << load.error;
    ASSERT_EQ(load.bitmap.width(), 1);
    ASSERT_EQ(load.bitmap.height(), 1);
    EXPECT_EQ(load.bitmap.red(0, 0), 0x30);
    EXPECT_EQ(load.bitmap.green(0, 0), 0x20);
    EXPECT_EQ(load.bitmap.blue(0, 0), 0x10);
}

// 7 pixels of 3 bytes leave 3 padding bytes per row; stored row r has blue
// 16r + x and green 100 + x, and its padding is 0xEE.
std::vector<uint8_t> sevenByThreeRows()
{
    std::vector<uint8_t> pixels;
    for (int r = 0; r < 3; ++r) {
        for (int x = 0; x < 7; ++x) {
            pixels.push_back(static_cast<uint8_t>(16 * r + x));
            pixels.push_back(static_cast<uint8_t>(100 + x));
            pixels.push_back(200);
        }
        pixels.insert(pixels.end(), 3, 0xEE);
    }
    return pixels;
}

TEST(BmpReader, RowsSkipTheirPaddingAndRunBottomUpOrTopDownByTheHeightSign)
{
    for (const int32_t height : {3, -3}) {
        const PictureLoad load = decodeLayout({.width = 7, .height = height, .pixels = sevenByThreeRows()});
        ASSERT_TRUE(load.ok()) << load.error;
        ASSERT_EQ(load.bitmap.width(), 7);
        ASSERT_EQ(load.bitmap.height(), 3);
        for (int r = 0; r < 3; ++r) {
            const int y = height > 0 ? 2 - r : r;
            for (int x = 0; x < 7; ++x) {
                EXPECT_EQ(load.bitmap.blue(x, y), 16 * r + x) << "height " << height << " row " << r;
                EXPECT_EQ(load.bitmap.green(x, y), 100 + x);
                EXPECT_EQ(load.bitmap.red(x, y), 200);
            }
        }
    }
}

TEST(BmpReader, PaletteIndicesArePackedFromTheHighBitsAndUnknownOnesAreBlack)
{
    const uint32_t red = 0xFF0000, blue = 0x0000FF, grey = 0x808080;
    // 1 bit: 1010011 and an eighth bit beyond the width; padding all ones.
    PictureLoad load = decodeLayout({.width = 7, .bits = 1, .palette = {red, blue}, .pixels = {0xA7, 0xFF, 0xFF, 0xFF}});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{packed(blue), packed(red), packed(blue), packed(red),
                                                             packed(red), packed(blue), packed(blue)}));

    // 4 bits: indices 1, 2 and 15 with a palette of 3.
    load = decodeLayout({.width = 3, .bits = 4, .palette = {red, blue, grey}, .pixels = {0x12, 0xF0, 0, 0}});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{packed(blue), packed(grey), 0}));

    // 8 bits: index 200 with a palette of 2.
    load = decodeLayout({.width = 2, .bits = 8, .palette = {red, blue}, .pixels = {1, 200, 0, 0}});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{packed(blue), 0}));
}

TEST(BmpReader, SixteenBitPixelsScaleEachChannelToTheFullRange)
{
    // No masks: 5 bits each, red highest.
    PictureLoad load = decodeLayout({.width = 3, .bits = 16, .pixels = {0xFF, 0x7F, 0x00, 0x7C, 0x1F, 0x00, 0, 0}});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{0xFFFFFF, packed(0xFF0000), packed(0x0000FF)}));

    // 5-6-5 masks; green 32 of 63 is 32 * 255 / 63 = 129.5..., rounded to 130.
    load = decodeLayout({.width = 3,
                       .bits = 16,
                       .compression = biBitfields,
                       .masks = {0xF800, 0x07E0, 0x001F},
                       .pixels = {0x00, 0xF8, 0xE0, 0x07, 0x00, 0x04, 0, 0}});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{packed(0xFF0000), packed(0x00FF00), packed(0x008200)}));
}

TEST(BmpReader, ThirtyTwoBitMasksAreReadFromAfterOrInsideTheHeader)
{
    // Red in bits 8-15, green in 16-23, blue in 24-31: 0x11223344.
    for (const uint32_t headerSize : {40u, 108u, 124u}) {
        const PictureLoad load = decodeLayout({.bits = 32,
                                             .compression = biBitfields,
                                             .headerSize = headerSize,
                                             .masks = {0x0000FF00, 0x00FF0000, 0xFF000000},
                                             .pixels = {0x44, 0x33, 0x22, 0x11}});
        ASSERT_TRUE(load.ok()) << load.error;
        EXPECT_EQ(load.bitmap.pixel(0, 0), packed(0x332211)) << "header of " << headerSize;
    }
    // Without masks: blue, green, red, unused.
    const PictureLoad load = decodeLayout({.bits = 32, .pixels = {0x44, 0x33, 0x22, 0x11}});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(load.bitmap.pixel(0, 0), packed(0x223344));
}

TEST(BmpReader, Os2CoreHeaderHasSixteenBitSizesAndThreeBytePaletteEntries)
{
    std::vector<uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0};
    put32(file, 12);
    put16(file, 2);  // width
    put16(file, 1);  // height
    put16(file, 1);
    put16(file, 1);  // bits per pixel
    file.insert(file.end(), {0x56, 0x34, 0x12, 0x0C, 0x0B, 0x0A});
    file.insert(file.end(), {0x40, 0, 0, 0});  // indices 0 and 1
    const PictureLoad load = decodeBmp(file);
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{packed(0x123456), packed(0x0A0B0C)}));
}

// Palette entry i is grey 16 (i + 1), so index 0 differs from black.
std::vector<uint32_t> greySteps()
{
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back((16 * (i + 1)) * 0x010101u);
    return palette;
}

uint32_t step(int index) { return (16 * (index + 1)) * 0x010101u; }

PictureLoad decodeRle(int32_t width, int32_t height, uint32_t compression, std::vector<uint8_t> stream)
{
    const uint16_t bits = compression == biRle4 ? 4 : 8;
    return decodeLayout({.width = width, .height = height, .bits = bits, .compression = compression,
                       .palette = greySteps(), .pixels = stream});
}

TEST(BmpReader, Rle8RunsEndOfLineDeltaAbsoluteAndEndOfBitmap)
{
    const std::vector<uint8_t> stream = {
        0x03, 0x05,                    // three of index 5 on the bottom row
        0x00, 0x00,                    // end of line
        0x00, 0x02, 0x01, 0x01,        // one right, one up: top row, x = 1
        0x00, 0x03, 1, 2, 3, 0x00,     // three literal indices, padded to even
        0x00, 0x01,                    // end of bitmap
        0x05, 0x07,                    // after the end: ignored
    };
    const PictureLoad load = decodeRle(4, 3, biRle8, stream);
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 2), (std::vector<uint32_t>{step(5), step(5), step(5), 0}));
    EXPECT_EQ(rowOf(load.bitmap, 1), (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{0, step(1), step(2), step(3)}));
}

TEST(BmpReader, Rle4RunsAlternateTheirTwoNibbles)
{
    const std::vector<uint8_t> stream = {
        0x04, 0x12,              // 1 2 1 2
        0x00, 0x00,              // end of line
        0x00, 0x03, 0x34, 0x50,  // literal 3 4 5 in two bytes
        0x00, 0x01,
    };
    const PictureLoad load = decodeRle(4, 2, biRle4, stream);
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 1), (std::vector<uint32_t>{step(1), step(2), step(1), step(2)}));
    EXPECT_EQ(rowOf(load.bitmap, 0), (std::vector<uint32_t>{step(3), step(4), step(5), 0}));
}

TEST(BmpReader, RleRunsAndDeltasPastThePictureAreClippedNotWrapped)
{
    // A run of ten on a row of four, then data that simply stops.
    PictureLoad load = decodeRle(4, 2, biRle8, {0x0A, 0x07, 0x02});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 1), std::vector<uint32_t>(4, step(7)));
    EXPECT_EQ(rowOf(load.bitmap, 0), std::vector<uint32_t>(4, 0));

    // A delta far beyond the picture, then a run and a literal that must land nowhere.
    load = decodeRle(4, 2, biRle8,
                     {0x00, 0x02, 0xFF, 0x00, 0x02, 0x03, 0x00, 0x03, 1, 2, 3, 0, 0x00, 0x02, 0x00, 0xFF, 0x02, 0x03});
    ASSERT_TRUE(load.ok()) << load.error;
    EXPECT_EQ(rowOf(load.bitmap, 1), std::vector<uint32_t>(4, 0));
    EXPECT_EQ(rowOf(load.bitmap, 0), std::vector<uint32_t>(4, 0));
}

TEST(BmpReader, ImpossibleOrOversizedPicturesAreRefusedWithTheirSize)
{
    struct Case {
        BmpLayout layout;
        std::string named;
    };
    const std::vector<Case> cases = {
        {{.width = 0, .height = 1}, "0x1"},
        {{.width = -5, .height = 1}, "-5x1"},
        {{.width = 1, .height = 0}, "1x0"},
        {{.width = 16385, .height = 1}, "16385x1"},
        {{.width = 1, .height = -16385}, "1x16385"},
        {{.width = 8192, .height = 8193}, "8192x8193"},
        {{.width = 1, .height = 1, .compression = 7}, "compression method 7"},
        {{.width = 1, .height = 1, .bits = 24, .compression = biRle8}, "24 bits"},
        {{.width = 1, .height = 1, .bits = 64}, "64 bits"},
        {{.width = 1, .height = -1, .bits = 8, .compression = biRle8}, "top-down"},
    };
    for (const Case& c : cases) {
        const PictureLoad load = decodeLayout(c.layout);
        EXPECT_FALSE(load.ok()) << c.named;
        EXPECT_NE(load.error.find(c.named), std::string::npos) << load.error;
        EXPECT_TRUE(load.bitmap.empty());
    }
}

TEST(BmpReader, ShortPixelDataIsRefusedButAMissingLastRowPaddingIsNot)
{
    // 7x3 at 24 bits: two full rows of 24 bytes and 21 bytes of the last.
    std::vector<uint8_t> pixels = sevenByThreeRows();
    pixels.resize(69);
    EXPECT_TRUE(decodeLayout({.width = 7, .height = 3, .pixels = pixels}).ok());
    pixels.resize(68);
    const PictureLoad load = decodeLayout({.width = 7, .height = 3, .pixels = pixels});
    EXPECT_FALSE(load.ok());
    EXPECT_NE(load.error.find("needs 69 bytes but the file holds 68"), std::string::npos) << load.error;
}

// Every decode either fails with a sentence and no picture, or gives a
// picture within the limits whose pixels are all there.
void expectSane(const PictureLoad& load, const std::string& what)
{
    if (!load.ok()) {
        EXPECT_TRUE(load.bitmap.empty()) << what;
        return;
    }
    EXPECT_GT(load.bitmap.width(), 0) << what;
    EXPECT_GT(load.bitmap.height(), 0) << what;
    EXPECT_LE(load.bitmap.width(), maxPictureSide) << what;
    EXPECT_LE(load.bitmap.height(), maxPictureSide) << what;
    EXPECT_EQ(load.bitmap.rgb().size(), static_cast<size_t>(load.bitmap.width()) * load.bitmap.height() * 3) << what;
}

TEST(BmpReader, EveryDamagedByteAndEveryTruncationGivesAnErrorOrASanePicture)
{
    std::vector<uint8_t> indices;
    for (int i = 0; i < 24; ++i)
        indices.push_back(static_cast<uint8_t>(i % 20));
    const std::vector<std::vector<uint8_t>> files = {
        bmpBytes({.width = 7, .height = 3, .bits = 8, .palette = greySteps(), .pixels = indices}),
        bmpBytes({.width = 4, .height = 3, .bits = 8, .compression = biRle8, .palette = greySteps(),
                  .pixels = {0x03, 0x05, 0x00, 0x00, 0x00, 0x02, 0x01, 0x01, 0x00, 0x03, 1, 2, 3, 0, 0x00, 0x01}}),
        bmpBytes({.width = 3, .bits = 16, .compression = biBitfields, .headerSize = 124,
                  .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {1, 2, 3, 4, 5, 6, 0, 0}}),
    };
    for (const std::vector<uint8_t>& file : files) {
        for (size_t at = 0; at < file.size(); ++at) {
            for (const uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, static_cast<uint8_t>(file[at] ^ 0x80),
                                        static_cast<uint8_t>(file[at] + 1)}) {
                std::vector<uint8_t> damaged = file;
                damaged[at] = value;
                expectSane(decodeBmp(damaged), "byte " + std::to_string(at) + " = " + std::to_string(value));
            }
        }
        for (size_t length = 0; length < file.size(); ++length) {
            const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
            expectSane(decodeBmp(cut), "first " + std::to_string(length) + " bytes");
        }
    }
}

Bitmap referencePicture(const std::string& name)
{
    const PictureLoad load = decodePng(test::readFile(test::testdata("bmp/bmpsuite/html/" + name)));
    EXPECT_TRUE(load.ok()) << name << ": " << load.error;
    return load.bitmap;
}

// The suite's own renderings, for every file whose rendering is opaque and
// 8 bits per channel. Run-length files that skip pixels match the rendering
// with black for the skipped pixels.
TEST(BmpReader, SuitePicturesMatchTheSuitesRenderings)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> renderings = {
        {"pal1.png", {"g/pal1", "g/pal1wb"}},
        {"pal1bg.png", {"g/pal1bg"}},
        {"pal1p1.png", {"q/pal1p1"}},
        {"pal2.png", {"q/pal2"}},
        {"pal2color.png", {"q/pal2color"}},
        {"pal4.png", {"g/pal4", "g/pal4rle"}},
        {"pal4gs.png", {"g/pal4gs"}},
        {"pal8.png", {"g/pal8", "g/pal8-0", "g/pal8os2", "g/pal8rle", "g/pal8topdown", "g/pal8v4", "g/pal8v5",
                      "q/pal8os2-hs", "q/pal8os2-sz", "q/pal8os2sp", "q/pal8os2v2", "q/pal8os2v2-16",
                      "q/pal8os2v2-sz", "q/pal8os2v2-40sz", "q/pal8offs", "q/pal8oversizepal", "b/badpalettesize"}},
        {"pal8gs.png", {"g/pal8gs"}},
        {"pal8w124.png", {"g/pal8w124"}},
        {"pal8w125.png", {"g/pal8w125"}},
        {"pal8w126.png", {"g/pal8w126"}},
        {"pal8nonsquare-e.png", {"g/pal8nonsquare"}},
        {"pal4rletrns-b.png", {"q/pal4rletrns"}},
        {"pal4rlecut-b.png", {"q/pal4rlecut"}},
        {"pal8rletrns-b.png", {"q/pal8rletrns"}},
        {"pal8rlecut-b.png", {"q/pal8rlecut"}},
        {"rgb16.png", {"g/rgb16", "g/rgb16bfdef", "q/rgb16faketrns"}},
        {"rgb16-565.png", {"g/rgb16-565", "g/rgb16-565pal"}},
        {"rgb16-231.png", {"q/rgb16-231"}},
        {"rgb16-3103.png", {"q/rgb16-3103"}},
        {"rgb16-880.png", {"b/rgb16-880"}},
        {"rgb24.png", {"g/rgb24", "g/rgb24pal", "g/rgb32", "g/rgb32bf", "g/rgb32bfdef", "q/rgb24largepal",
                       "q/rgb24prof", "q/rgb24lprof", "q/rgb32-xbgr", "q/rgb32h52", "q/rgb32fakealpha"}},
    };
    for (const auto& [reference, files] : renderings) {
        const Bitmap expected = referencePicture(reference);
        for (const std::string& file : files) {
            const PictureLoad load = decodeBmp(test::readFile(test::testdata("bmp/bmpsuite/" + file + ".bmp")));
            ASSERT_TRUE(load.ok()) << file << ": " << load.error;
            EXPECT_TRUE(load.bitmap == expected) << file << " differs from " << reference;
        }
    }
}

TEST(BmpReader, SuiteFilesThisReaderCannotShowAreRefusedInOneSentence)
{
    for (const char* file : {"b/badbitcount.bmp", "b/badheadersize.bmp", "b/badplanes.bmp", "b/badwidth.bmp",
                             "b/reallybig.bmp", "b/rletopdown.bmp", "b/shortfile.bmp", "q/pal1huffmsb.bmp",
                             "q/rgb24jpeg.bmp", "q/rgb24png.bmp", "q/rgb24rle24.bmp", "q/rgba64.bmp", "x/ba-bm.bmp"}) {
        const PictureLoad load = decodeBmp(test::readFile(test::testdata(std::string("bmp/bmpsuite/") + file)));
        EXPECT_FALSE(load.ok()) << file;
        EXPECT_TRUE(load.bitmap.empty()) << file;
        EXPECT_EQ(load.error.find('\n'), std::string::npos) << file;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::testdata("bmp"))) {
        if (entry.path().extension() == ".bmp")
            expectSane(decodeBmp(test::readFile(entry.path())), entry.path().string());
    }
}

// Plain 24-bit bottom-up files written by another program come back
// byte for byte from the BMP writer.
TEST(BmpReader, PhotoBmpsSurviveADecodeAndReencodeUnchanged)
{
    for (const char* name : {"shira_bird8.bmp", "vgl_6434_0018a.bmp", "vgl_6548_0026a.bmp"}) {
        const std::vector<uint8_t> file = test::readFile(test::testdata(std::string("bmp/libjpeg-turbo/") + name));
        const PictureLoad load = decodeBmp(file);
        ASSERT_TRUE(load.ok()) << name << ": " << load.error;
        const std::vector<uint8_t> again = encodeBmp24(load.bitmap);
        ASSERT_EQ(again.size(), file.size()) << name;
        EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), again.begin() + 54)) << name;
    }
}

}  // namespace
}  // namespace dw
