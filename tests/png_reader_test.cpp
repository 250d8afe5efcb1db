#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {
namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;

void put32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

Bytes chunk(const std::string& type, const Bytes& data)
{
    Bytes out;
    put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    put32(out, static_cast<uint32_t>(crc32(0, out.data() + 4, static_cast<uInt>(4 + data.size()))));
    return out;
}

Bytes header(uint32_t width, uint32_t height, int depth, int colourType, int interlace = 0)
{
    Bytes data;
    put32(data, width);
    put32(data, height);
    data.insert(data.end(), {uint8_t(depth), uint8_t(colourType), 0, 0, uint8_t(interlace)});
    return chunk("IHDR", data);
}

// Rows, each led by its filter byte, as a zlib stream. Level 0 stores the
// bytes as they are, 7 bytes into the stream.
Bytes zlibStream(const Bytes& rows, int level = 9)
{
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, rows.data(), static_cast<uLong>(rows.size()), level), Z_OK);
    out.resize(size);
    return out;
}

Bytes pngFile(const std::vector<Bytes>& chunks)
{
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    for (const Bytes& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

Bytes simplePng(uint32_t width, uint32_t height, int depth, int colourType, const Bytes& rows, int interlace = 0)
{
    return pngFile({header(width, height, depth, colourType, interlace), chunk("IDAT", zlibStream(rows)),
                    chunk("IEND", {})});
}

Bytes suiteFile(const std::string& name) { return test::readFile(test::testdata("png/" + name + ".png")); }
PictureLoad decodeSuite(const std::string& name) { return decodePng(suiteFile(name)); }

using test::pixelsOf;

Pixels greys(std::initializer_list<uint32_t> levels)
{
    Pixels pixels;
    for (uint32_t level : levels)
        pixels.push_back(level * 0x010101u);
    return pixels;
}

bool hasInfo(const TPNG& png, const std::string& text)
{
    return std::ranges::any_of(png.info(),
                               [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// CRC-32 of the decoded red, green, blue bytes of every valid suite file;
// files that must decode alike (interlaced twins, compression levels, split
// image data, chunks that change nothing) share one entry. Taken from this
// reader once, after the pictures were looked at against the suite's
// descriptions; the hand-made files below pin grey scaling, palettes,
// 16-bit bytes and the Adam7 order on their own.
const std::vector<std::pair<uint32_t, std::string>> suiteChecksums = {
    {0x1d8b1934, "basi0g01 basn0g01"}, {0xcce2e274, "basi0g02 basn0g02"}, {0xe6edc27d, "basi0g04 basn0g04"},
    {0x7e0a8ab4, "basi0g08 basn0g08 ps1n0g08 ps2n0g08"},
    {0x72bbf403, "basi0g16 basn0g16 oi1n0g16 oi2n0g16 oi4n0g16 oi9n0g16"}, {0x7855b9bf, "basi2c08 basn2c08 pp0n6a08"},
    {0xffcc1ed1, "basi2c16 basn2c16 oi1n2c16 oi2n2c16 oi4n2c16 oi9n2c16 pp0n2c16 ps1n2c16 ps2n2c16"},
    {0x31ec284b, "basi3p01 basn3p01"}, {0x279a463a, "basi3p02 basn3p02"}, {0x3a9e038e, "basi3p04 basn3p04 ch1n3p04"},
    {0xff6e2940, "basi3p08 basn3p08 ch2n3p08"}, {0xde73dab8, "basi4a08 basn4a08 bgai4a08 bgbn4a08"},
    {0x74cda919, "basi4a16 basn4a16 bgai4a16 bggn4a16"}, {0xa9b0c6b5, "basi6a08 basn6a08 bgan6a08 bgwn6a08"},
    {0x54f0fb2e, "basi6a16 basn6a16 bgan6a16 bgyn6a16"}, {0x61b69e8e, "ccwn2c08"}, {0x2e1d8ef1, "ccwn3p08"},
    {0x99af40a3, "cdfn2c08"}, {0x84a4ef40, "cdhn2c08"}, {0x82b26daf, "cdsn2c08"}, {0xee50e3ca, "cdun2c08"},
    {0xc6bd1a35, "cm0n0g04 cm7n0g04 cm9n0g04 ct0n0g04 ct1n0g04 ctzn0g04"}, {0x7306351c, "cs3n2c16 cs8n2c08 cs8n3p08"},
    {0xc47263e3, "cs3n3p08"}, {0x1b16d169, "cs5n2c08 cs5n3p08"}, {0x908fd2b2, "cten0g04"}, {0x7f7a43a7, "ctfn0g04"},
    {0xad1d3d6, "ctgn0g04"}, {0xc461c896, "cthn0g04"}, {0x55390861, "ctjn0g04"}, {0x1a5022ef, "exif2c08"},
    {0x3f6b9bc5, "f00n0g08"}, {0x3f1d66ad, "f00n2c08"}, {0xff89d6c, "f01n0g08"}, {0x11c1b27e, "f01n2c08"},
    {0xa86b4c1d, "f02n0g08"}, {0x7f1ca785, "f02n2c08"}, {0x66de99f1, "f03n0g08"}, {0x31645d89, "f03n2c08"},
    {0xf655bb7d, "f04n0g08"}, {0x77056a6f, "f04n2c08"}, {0xd3026ad9, "f99n0g04"}, {0xfb007f12, "g03n0g16"},
    {0x3633021f, "g03n2c08"}, {0x7e90c30c, "g03n3p04"}, {0x4ed1b0ae, "g04n0g16"}, {0xae824f12, "g04n2c08"},
    {0xe00f20f2, "g04n3p04"}, {0x5e9dccd2, "g05n0g16"}, {0x3c168b7d, "g05n2c08"}, {0xd0d3c65b, "g05n3p04"},
    {0xef487e13, "g07n0g16"}, {0x6d9b8873, "g07n2c08"}, {0x6f2e7b73, "g07n3p04"}, {0xd03e6bc3, "g10n0g16"},
    {0xfa142827, "g10n2c08"}, {0x25aeef89, "g10n3p04"}, {0x252f094b, "g25n0g16"}, {0xe5914131, "g25n2c08"},
    {0x71c1b931, "g25n3p04"}, {0xd243369f, "s01i3p01 s01n3p01"}, {0x9e931d85, "s02i3p01 s02n3p01"},
    {0x6916380e, "s03i3p01 s03n3p01"}, {0xc2e0d49b, "s04i3p01 s04n3p01"}, {0x1242b6fb, "s05i3p02 s05n3p02"},
    {0xd7589540, "s06i3p02 s06n3p02"}, {0xd2ccf489, "s07i3p02 s07n3p02"}, {0x2ba1b03e, "s08i3p02 s08n3p02"},
    {0x9762d2ed, "s09i3p02 s09n3p02"}, {0xad01f44d, "s32i3p04 s32n3p04"}, {0xd2f4ae68, "s33i3p04 s33n3p04"},
    {0xbbeda3f7, "s34i3p04 s34n3p04"}, {0x99293acf, "s35i3p04 s35n3p04"}, {0xf51a96e0, "s36i3p04 s36n3p04"},
    {0x920758a4, "s37i3p04 s37n3p04"}, {0xeb3bf324, "s38i3p04 s38n3p04"}, {0xc06d7da1, "s39i3p04 s39n3p04"},
    {0xd4658a0, "s40i3p04 s40n3p04"}, {0x1791a91d, "tbbn0g04"}, {0xe519cff0, "tbbn2c16 tbgn2c16 tbrn2c08"},
    {0x44764e96, "tbbn3p08 tbgn3p08 tbwn3p08 tbyn3p08 tp1n3p08"}, {0x7fc9f1e3, "tbwn0g16"}, {0xe7f1a455, "tm3n3p02"},
    {0xdfa9515c, "tp0n0g08"}, {0xb426b350, "tp0n2c08"}, {0x15493236, "tp0n3p08"},
    {0xf8f7d651, "z00n2c08 z03n2c08 z06n2c08 z09n2c08"},
};

// "sNN..." files are NN pixels square; three pixel-aspect files are smaller;
// all others are 32x32.
std::pair<int, int> suiteSize(const std::string& name)
{
    if (name[0] == 's' && std::isdigit(static_cast<unsigned char>(name[1])))
        return {std::stoi(name.substr(1, 2)), std::stoi(name.substr(1, 2))};
    if (name == "cdfn2c08" || name == "cdhn2c08" || name == "cdsn2c08")
        return {name[2] == 'h' ? 32 : 8, name[2] == 'f' ? 32 : 8};
    return {32, 32};
}

TEST(PngSuite, EveryValidFileDecodesToItsCheckedPixelsAndTwinsAlike)
{
    int listed = 0;
    for (const auto& [checksum, names] : suiteChecksums) {
        std::istringstream words(names);
        for (std::string name; words >> name; ++listed) {
            SCOPED_TRACE(name);
            const PictureLoad load = decodeSuite(name);
            ASSERT_TRUE(load.ok()) << load.error;
            EXPECT_EQ(std::make_pair(load.bitmap.width(), load.bitmap.height()), suiteSize(name));
            EXPECT_EQ(crc32(0, load.bitmap.rgb().data(), static_cast<uInt>(load.bitmap.rgb().size())), checksum);
        }
    }
    int validFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::testdata("png")))
        validFiles += entry.path().extension() == ".png" && entry.path().filename().string()[0] != 'x';
    EXPECT_EQ(validFiles, listed);
}

TEST(PngSuite, GreyDepthsBelowEightSpreadOverTheWholeRange)
{
    const auto colours = [](const char* name) {
        const Pixels pixels = pixelsOf(decodeSuite(name).bitmap);
        return std::set<uint32_t>(pixels.begin(), pixels.end());
    };
    EXPECT_EQ(colours("basn0g01"), (std::set<uint32_t>{0, 0xFFFFFF}));
    EXPECT_EQ(colours("basi0g02"), (std::set<uint32_t>{0, 0x555555, 0xAAAAAA, 0xFFFFFF}));
    for (uint32_t colour : colours("basn0g04"))
        EXPECT_EQ(colour % 0x111111, 0u) << std::hex << colour;  // grey, and the level a multiple of 17
}

TEST(PngSuite, DamagedFilesFailWithAReasonOrDecodeWithANote)
{
    const std::string badSignature = "not a PNG file: the signature is wrong";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"xs1n0g01", badSignature}, {"xs2n0g01", badSignature}, {"xs4n0g01", badSignature},
        {"xs7n0g01", badSignature}, {"xcrn0g04", badSignature}, {"xlfn0g04", badSignature},
        {"xc1n0g08", "PNG colour type 1 does not exist"}, {"xc9n2c08", "PNG colour type 9 does not exist"},
        {"xd0n2c08", "PNG bit depth 0 is not allowed for colour type 2"},
        {"xd3n2c08", "PNG bit depth 3 is not allowed for colour type 2"},
        {"xd9n2c08", "PNG bit depth 99 is not allowed for colour type 2"},
        {"xdtn0g01", "the PNG file has no image data (IDAT chunk)"},
    };
    for (const auto& [name, sentence] : refused) {
        const PictureLoad load = decodeSuite(name);
        EXPECT_EQ(load.error, sentence) << name;
        EXPECT_TRUE(load.bitmap.empty()) << name;
    }

    // Damaged checksums are only noted; the pixels are those of the sound file.
    for (const auto& [name, chunkType, sound] :
         {std::tuple{"xcsn0g01", "IDAT", "basn0g01"}, {"xhdn0g08", "IHDR", "basn0g08"}}) {
        TPNG png;
        ASSERT_TRUE(png.loadFromBytes(suiteFile(name))) << name;
        EXPECT_TRUE(hasInfo(png, std::string("checksum of chunk ") + chunkType + " does not match")) << name;
        EXPECT_EQ(png.toBitmap(), decodeSuite(sound).bitmap) << name;
    }
}

// Decodes each hand-made file and compares every pixel.
void expectPixels(const std::vector<std::tuple<std::string, Bytes, Pixels>>& cases)
{
    for (const auto& [what, file, expected] : cases) {
        const PictureLoad load = decodePng(file);
        ASSERT_TRUE(load.ok()) << what << ": " << load.error;
        EXPECT_EQ(pixelsOf(load.bitmap), expected) << what;
    }
}

// Grey 3x2: row 0 is 50 51 49 stored unfiltered, row 1 is stored in the filter.
Bytes filtered(uint8_t filter, uint8_t a, uint8_t b, uint8_t c)
{
    return simplePng(3, 2, 8, 0, {0, 50, 51, 49, filter, a, b, c});
}

// Grey 3x3, pixel (x, y) = 10 + 10 * (3y + x). Passes 2 and 3 hold no pixel;
// every row uses the Up filter, so a row above left over from the previous
// pass would show.
const Bytes adam7Rows = {
    2, 10,          // pass 1: (0,0)
    2, 30,          // pass 4: (2,0)
    2, 70, 90,      // pass 5: (0,2) (2,2)
    2, 20, 2, 60,   // pass 6: (1,0), then (1,2) = 60 + 20
    2, 40, 50, 60,  // pass 7: row 1
};

TEST(PngFilters, EachFilterAndTheAdam7PassesRestoreThePixelsWorkedOutByHand)
{
    expectPixels({
        {"None", filtered(0, 7, 8, 9), greys({50, 51, 49, 7, 8, 9})},
        {"Sub wraps at 256", filtered(1, 10, 250, 7), greys({50, 51, 49, 10, 4, 11})},
        {"Up", filtered(2, 1, 255, 0), greys({50, 51, 49, 51, 50, 49})},
        {"Average sums without wrapping", filtered(3, 0, 200, 2), greys({50, 51, 49, 25, 238, 145})},
        {"Paeth ties: left, then above, before upper-left", filtered(4, 254, 4, 0), greys({50, 51, 49, 48, 52, 49})},
        {"Sub on RGB goes one pixel back", simplePng(2, 1, 8, 2, {1, 1, 2, 3, 10, 20, 30}), {0x030201, 0x21160B}},
        {"Sub on 16-bit grey adds the previous high byte", simplePng(2, 1, 16, 0, {1, 0x10, 0x01, 0x05, 0xFF}),
         greys({0x10, 0x15})},
        {"Adam7, no pixel in passes 2 and 3", simplePng(3, 3, 8, 0, adam7Rows, 1),
         greys({10, 20, 30, 40, 50, 60, 70, 80, 90})},
    });
}

TEST(PngSamples, DepthsAlphaAndPalettesGiveThePixelsWorkedOutByHand)
{
    Bytes bigPalette(257 * 3, 0);
    bigPalette[255 * 3] = 7;
    bigPalette[256 * 3] = 9;
    const auto indexed = [](int width, int depth, const Bytes& palette, const Bytes& rows) {
        return pngFile(
            {header(width, 1, depth, 3), chunk("PLTE", palette), chunk("IDAT", zlibStream(rows)), chunk("IEND", {})});
    };
    expectPixels({
        {"1 bit, row padding skipped", simplePng(3, 2, 1, 0, {0, 0xBF, 0, 0x5F}), greys({255, 0, 255, 0, 255, 0})},
        {"2 bits", simplePng(4, 1, 2, 0, {0, 0x1B}), greys({0, 85, 170, 255})},
        {"4 bits", simplePng(2, 1, 4, 0, {0, 0x5F}), greys({85, 255})},
        {"16-bit RGB by high bytes", simplePng(1, 1, 16, 2, {0, 0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00}), {0xFFAB12}},
        {"RGBA drops its alpha", simplePng(1, 1, 8, 6, {0, 10, 20, 30, 40}), {0x1E140A}},
        {"16-bit grey + alpha", simplePng(2, 1, 16, 4, {0, 0x80, 1, 0x40, 2, 0x07, 3, 0xFF, 4}), greys({0x80, 0x07})},
        {"indices beyond PLTE are black", indexed(4, 2, {255, 0, 0, 0, 0, 255}, {0, 0x1B}), {0x0000FF, 0xFF0000, 0, 0}},
        {"PLTE entries past the 256th are ignored", indexed(1, 8, bigPalette, {0, 255}), {7}},
    });

    // The reader itself keeps alpha as the fourth byte.
    TPNG png;
    ASSERT_TRUE(png.loadFromBytes(simplePng(1, 1, 8, 6, {0, 10, 20, 30, 40})));
    EXPECT_EQ(png.format(), TPNG::Format::bgra32);
    EXPECT_EQ(png.pixels(), (Bytes{30, 20, 10, 40}));
}

TEST(PngDamage, DataEndingEarlyOrLateKeepsWhatWasReadAndRowsNeverReadBlack)
{
    // Indexed 1x4, every row index 1 (red), cut after two rows; index 0 is
    // green, so rows never read must not take palette entry 0.
    const Bytes stream = zlibStream({0, 1, 0, 1, 0, 1, 0, 1}, 0);
    const Bytes indexed = pngFile({header(1, 4, 8, 3), chunk("PLTE", {0, 255, 0, 255, 0, 0}),
                                   chunk("IDAT", Bytes(stream.begin(), stream.begin() + 7 + 4)), chunk("IEND", {})});
    const Bytes adam7 = zlibStream(adam7Rows, 0);
    const Bytes adam7Cut(adam7.begin(), adam7.begin() + 7 + 7);  // after pass 5
    Bytes tooMuch = {0, 42};
    tooMuch.resize(1 << 20, 0xAA);  // a megabyte more than one pixel needs, never inflated
    const Bytes sound = simplePng(2, 1, 8, 0, {0, 100, 200});
    expectPixels({
        {"indexed rows never read", indexed, {0x0000FF, 0x0000FF, 0, 0}},
        {"Adam7 passes never read", pngFile({header(3, 3, 8, 0, 1), chunk("IDAT", adam7Cut), chunk("IEND", {})}),
         greys({10, 0, 30, 0, 0, 0, 70, 0, 90})},
        {"image data beyond the picture", simplePng(1, 1, 8, 0, tooMuch), greys({42})},
        {"no IEND", Bytes(sound.begin(), sound.end() - 12), greys({100, 200})},
    });
}

TEST(PngErrors, UndecodableOrOversizedFilesGiveOneSentenceAndNoPicture)
{
    const Bytes idat = chunk("IDAT", zlibStream({0, 0}));
    const std::string limit = " pixels exceed the limit of 16384 pixels a side and 67108864 pixels in all";
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {{}, "not a PNG file: the signature is wrong"},
        {{137, 80, 78, 71, 13, 10, 26}, "not a PNG file: the signature is wrong"},
        {pngFile({idat, chunk("IEND", {})}), "the PNG file has no header (IHDR chunk)"},
        {pngFile({chunk("IHDR", {0, 0, 0, 1}), idat}), "the PNG header (IHDR chunk) has 4 bytes instead of 13"},
        {pngFile({header(0, 1, 8, 0), idat}), "the PNG picture has zero width or height"},
        {pngFile({header(1, 0, 8, 0), idat}), "the PNG picture has zero width or height"},
        {pngFile({header(1, 1, 8, 0, 2), idat}), "PNG interlace method 2 is unknown"},
        {pngFile({header(1, 1, 8, 0), chunk("IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF})}),
         "the PNG image data is corrupt (invalid block type)"},
        {simplePng(1, 1, 8, 0, {5, 0}), "the PNG image data is corrupt (filter type 5)"},
        {pngFile({header(16385, 1, 8, 0), idat}), "the picture's 16385x1" + limit},
        {pngFile({header(8193, 8192, 8, 0), idat}), "the picture's 8193x8192" + limit},
        {pngFile({header(0xFFFFFFFF, 0xFFFFFFFF, 16, 6), idat}), "the picture's 4294967295x4294967295" + limit},
    };
    for (const auto& [file, sentence] : cases) {
        const PictureLoad load = decodePng(file);
        EXPECT_EQ(load.error, sentence);
        EXPECT_TRUE(load.bitmap.empty()) << sentence;
    }
    Bytes widestRow(1 + 16384 / 8, 0xFF);
    widestRow[0] = 0;
    const PictureLoad widest = decodePng(simplePng(16384, 1, 1, 0, widestRow));
    ASSERT_TRUE(widest.ok()) << widest.error;
    EXPECT_EQ(widest.bitmap.pixel(16383, 0), 0xFFFFFFu);
}

// Whatever a damaged file holds, the answer is a picture of a sound size or
// a sentence with no picture.
TEST(PngRobustness, EveryDamagedByteAndEveryCutOfASmallFileIsSurvived)
{
    const auto expectSane = [](const Bytes& file) {
        const PictureLoad load = decodePng(file);
        EXPECT_EQ(load.bitmap.rgb().size(), size_t(load.bitmap.width()) * load.bitmap.height() * 3);
        EXPECT_LE(load.bitmap.width(), maxPictureSide);
        EXPECT_EQ(load.ok(), load.bitmap.width() > 0);
    };
    for (const char* name : {"basi3p02", "basn0g01"}) {
        const Bytes sound = suiteFile(name);
        ASSERT_FALSE(sound.empty());
        test::forEachDamagedCopy(sound, expectSane);
    }
}

}  // namespace
}  // namespace dw
