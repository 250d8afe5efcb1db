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

TEST(PngSuite, BadChecksumsAreOnlyNotedAndTheNotesCapped)
{
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

// The refusals and the pixels of the other made files are in
// tests/data/expected/hand-worked-decodes.txt.
TEST(PngMade, TheWidestPictureDecodesAndNoBytesAreNoPng)
{
    EXPECT_EQ(test::decodeData("made/png/widest.png").value().pixel(16383, 0), 0xFFFFFFu);
    EXPECT_EQ(decodePng({}).error(), "not a PNG file: the signature is wrong");
}

TEST(PngRobustness, EveryDamagedByteAndEveryCutOfASmallFileIsSurvived)
{
    for (const char* name : {"png/basi3p02.png", "png/basn0g01.png"}) test::expectDamagedCopiesSane(name, decodePng);
}

}  // namespace dw
