#include <zlib.h>

#include <fstream>
#include <sstream>

#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {

using test::readFile;
using test::testdata;

// tests/data/expected/png-suite-checksums.txt holds the CRC-32 of the
// decoded red, green, blue bytes of every valid suite file; files that must
// decode alike (interlaced twins, compression levels, split image data,
// chunks that change nothing) share one line. Taken from this reader once,
// after the pictures were looked at against the suite's descriptions; the
// made files below pin filters, palettes and Adam7 on their own.
TEST(PngSuite, EveryValidFileDecodesToItsCheckedPixelsAndTwinsAlike)
{
    int listed = 0;
    std::ifstream lines(testdata("expected/png-suite-checksums.txt"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        uint32_t checksum = 0;
        words >> std::hex >> checksum;
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
