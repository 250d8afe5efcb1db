#include <zlib.h>

#include <sstream>

#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {

using test::readFile;
using test::testdata;

// CRC-32 of the decoded red, green, blue bytes of every valid suite file;
// files that must decode alike (interlaced twins, compression levels, split
// image data, chunks that change nothing) share one entry. Taken from this
// reader once, after the pictures were looked at against the suite's
// descriptions; the made files below pin filters, palettes and Adam7 on
// their own.
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

TEST(PngSuite, EveryValidFileDecodesToItsCheckedPixelsAndTwinsAlike)
{
    int listed = 0;
    for (const auto& [checksum, names] : suiteChecksums) {
        std::istringstream words(names);
        for (std::string name; words >> name; ++listed) {
            const Result<Bitmap> load = test::decodeData("png/" + name + ".png");
            ASSERT_TRUE(load.ok()) << name << ": " << load.error();
            EXPECT_EQ(crc32(0, load.value().rgb().data(), static_cast<uInt>(load.value().rgb().size())), checksum) << name;
        }
    }
    int validFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testdata("png")))
        validFiles += entry.path().extension() == ".png" && entry.path().filename().string()[0] != 'x';
    EXPECT_EQ(validFiles, listed);
}

TEST(PngSuite, DamagedFilesFailWithTheirReasonAndBadChecksumsAreOnlyNoted)
{
    const std::string badSignature = "not a PNG file: the signature is wrong";
    test::expectRefused({
        {"png/xs1n0g01.png", badSignature}, {"png/xs2n0g01.png", badSignature}, {"png/xs4n0g01.png", badSignature},
        {"png/xs7n0g01.png", badSignature}, {"png/xcrn0g04.png", badSignature}, {"png/xlfn0g04.png", badSignature},
        {"png/xc1n0g08.png", "PNG colour type 1 does not exist"},
        {"png/xc9n2c08.png", "PNG colour type 9 does not exist"},
        {"png/xd0n2c08.png", "PNG bit depth 0 is not allowed for colour type 2"},
        {"png/xd3n2c08.png", "PNG bit depth 3 is not allowed for colour type 2"},
        {"png/xd9n2c08.png", "PNG bit depth 99 is not allowed for colour type 2"},
        {"png/xdtn0g01.png", "the PNG file has no image data (IDAT chunk)"},
    });
    for (const auto& [name, chunkType, sound] :
         {std::tuple{"xcsn0g01", "IDAT", "basn0g01"}, {"xhdn0g08", "IHDR", "basn0g08"}}) {
        TPNG png;
        ASSERT_TRUE(png.loadFromBytes(readFile(testdata(std::string("png/") + name + ".png")))) << name;
        const std::string note = std::string("checksum of chunk ") + chunkType + " does not match";
        EXPECT_TRUE(std::ranges::any_of(png.info(), [&](const std::string& line) { return line.find(note) != std::string::npos; }))
            << name;
        EXPECT_EQ(png.toBitmap(), test::decodeData(std::string("png/") + sound + ".png").value()) << name;
    }

    // A note for each of a thousand damaged chunks: the first are kept, the
    // rest counted, and the picture is still read.
    TPNG png;
    ASSERT_TRUE(png.loadFromBytes(readFile(testdata("made/png/many-bad-checksums.png"))));
    const std::vector<std::string> info = png.info();
    ASSERT_EQ(info.size(), TPNG::maxNotes + 1);
    EXPECT_EQ(info[TPNG::maxNotes - 1], "checksum of chunk abCd does not match");
    EXPECT_EQ(info.back(), std::to_string(1001 - TPNG::maxNotes) + " more notes left out");
    EXPECT_EQ(png.toBitmap().pixel(0, 0), 0x2A2A2Au);
}

std::vector<uint32_t> greys(std::initializer_list<uint32_t> levels)
{
    std::vector<uint32_t> pixels;
    for (uint32_t level : levels) pixels.push_back(level * 0x010101u);
    return pixels;
}

// The files are listed in tests/data/README.md; a grey 3x2 file's first row
// is 50 51 49 unfiltered, its second row uses the filter in its name.
TEST(PngMade, FiltersPalettesAdam7AndEarlyEndsGiveThePixelsWorkedOutByHand)
{
    test::expectPixels({
        {"made/png/sub-wraps.png", greys({50, 51, 49, 10, 4, 11})},
        {"made/png/average-no-wrap.png", greys({50, 51, 49, 25, 238, 145})},
        {"made/png/paeth-ties.png", greys({50, 51, 49, 48, 52, 49})},  // left, then above, before upper-left
        {"made/png/sub-rgb.png", {0x030201, 0x21160B}},
        {"made/png/sub-grey16.png", greys({0x10, 0x15})},
        {"made/png/adam7-3x3.png", greys({10, 20, 30, 40, 50, 60, 70, 80, 90})},
        {"made/png/grey1-padding.png", greys({255, 0, 255, 0, 255, 0})},
        {"made/png/index-past-palette.png", {0x0000FF, 0xFF0000, 0, 0}},
        {"made/png/palette-257.png", {7}},
        // Rows and passes never read stay black, whatever palette entry 0 is.
        {"made/png/cut-indexed.png", {0x0000FF, 0x0000FF, 0, 0}},
        {"made/png/cut-adam7.png", greys({10, 0, 30, 0, 0, 0, 70, 0, 90})},
        {"made/png/extra-data.png", greys({42})},
        {"made/png/no-iend.png", greys({100, 200})},
    });
    EXPECT_EQ(test::decodeData("made/png/widest.png").value().pixel(16383, 0), 0xFFFFFFu);
}

TEST(PngMade, UndecodableOrOversizedFilesGiveOneSentenceAndNoPicture)
{
    const std::string limit = " pixels exceed the limit of 16384 pixels a side and 67108864 pixels in all";
    test::expectRefused({
        {"made/png/no-ihdr.png", "the PNG file has no header (IHDR chunk)"},
        {"made/png/zero-width.png", "the PNG picture has zero width or height"},
        {"made/png/interlace-2.png", "PNG interlace method 2 is unknown"},
        {"made/png/bad-zlib.png", "the PNG image data is corrupt (invalid block type)"},
        {"made/png/filter-5.png", "the PNG image data is corrupt (filter type 5)"},
        {"made/png/too-wide.png", "the picture's 16385x1" + limit},
        {"made/png/too-many-pixels.png", "the picture's 8193x8192" + limit},
        {"made/png/largest-header.png", "the picture's 4294967295x4294967295" + limit},
    });
    EXPECT_EQ(decodePng({}).error(), "not a PNG file: the signature is wrong");
}

TEST(PngRobustness, EveryDamagedByteAndEveryCutOfASmallFileIsSurvived)
{
    for (const char* name : {"png/basi3p02.png", "png/basn0g01.png"}) test::expectDamagedCopiesSane(name, decodePng);
}

}  // namespace dw
