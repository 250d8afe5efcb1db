#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gif_lib.h>

#include "readers/gif_adapter.h"
#include "readers/png_reader.h"
#include "support/test_support.h"

namespace dw {
namespace {

struct Frame {
    int left = 0, top = 0, width = 1, height = 1;
    std::vector<GifColorType> localColours{};  // a power of two entries, or none
    int transparent = NO_TRANSPARENT_COLOR;
    std::vector<uint8_t> indices{};  // row by row
};

struct Screen {
    int width = 1, height = 1, background = 0;
    std::vector<GifColorType> globalColours{};  // a power of two entries, or none
};

int appendToVector(GifFileType* gif, const GifByteType* bytes, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

ColorMapObject* mapOf(const std::vector<GifColorType>& colours)
{
    return colours.empty() ? nullptr : GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

// A GIF written by giflib's own encoder.
std::vector<uint8_t> gifBytes(const Screen& screen, const std::vector<Frame>& frames)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendToVector, &error);
    EXPECT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = mapOf(screen.globalColours);
    EXPECT_EQ(EGifPutScreenDesc(gif, screen.width, screen.height, 8, screen.background, global), GIF_OK);
    for (const Frame& frame : frames) {
        if (frame.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock control{};
            control.TransparentColor = frame.transparent;
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), GIF_OK);
        }
        ColorMapObject* local = mapOf(frame.localColours);
        EXPECT_EQ(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, local), GIF_OK);
        std::vector<GifPixelType> indices(frame.indices.begin(), frame.indices.end());
        for (int y = 0; y < frame.height; ++y)
            EXPECT_EQ(EGifPutLine(gif, indices.data() + y * frame.width, frame.width), GIF_OK);
        GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    return out;
}

constexpr GifColorType red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, other{0x10, 0x20, 0x30};

uint32_t packed(GifColorType c) { return c.Red | (c.Green << 8) | (static_cast<uint32_t>(c.Blue) << 16); }

using test::pixelsOf;

TEST(GifAdapter, FirstFrameIsCompositedOntoItsScreenAsAViewerShowsIt)
{
    const uint32_t r = packed(red), g = packed(green), b = packed(blue), o = packed(other), white = 0xFFFFFF;
    const struct {
        std::string what;
        std::vector<uint8_t> file;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"transparent pixels and the uncovered screen show the background",
         gifBytes({.width = 4, .height = 3, .background = 2, .globalColours = {red, green, blue, other}},
                  {{.left = 1, .top = 1, .width = 2, .height = 2, .transparent = 0, .indices = {0, 1, 3, 1}}}),
         {b, b, b, b, b, b, g, b, b, o, g, b}},
        {"local colours win; the second frame is not shown",
         gifBytes({.width = 2, .height = 1, .globalColours = {red, green}},
                  {{.width = 2, .localColours = {blue, other}, .indices = {1, 0}},
                   {.width = 2, .localColours = {red, green}, .indices = {1, 1}}}),
         {o, b}},
        {"without a global table the uncovered screen is white",
         gifBytes({.width = 3, .height = 1}, {{.left = 1, .localColours = {red, green}, .indices = {0}}}),
         {white, r, white}},
        {"a frame reaching past the screen is cut off",
         gifBytes({.width = 3, .height = 2, .globalColours = {red, green}},
                  {{.left = 1, .top = 1, .width = 3, .height = 3, .indices = std::vector<uint8_t>(9, 1)}}),
         {r, r, r, r, g, g}},
    };
    for (const auto& c : cases) {
        const PictureLoad load = decodeGif(c.file);
        ASSERT_TRUE(load.ok()) << c.what << ": " << load.error;
        EXPECT_EQ(pixelsOf(load.bitmap), c.expected) << c.what;
    }
}

// Raw top-down RGB written by giflib's gif2rgb, interlaced files included.
TEST(GifAdapter, GiflibSamplesMatchTheirReferenceDecodes)
{
    for (const char* name : {"gifgrid", "porsche", "treescap", "treescap-interlaced", "x-trans"}) {
        const PictureLoad load = decodeGif(test::readFile(test::testdata(std::string("gif/giflib/") + name + ".gif")));
        ASSERT_TRUE(load.ok()) << name << ": " << load.error;
        EXPECT_EQ(load.bitmap.rgb(), test::readFile(test::testdata(std::string("gif/giflib/expected_") + name + ".rgb")))
            << name;
    }
}

uint32_t screenBackground(const std::vector<uint8_t>& file)
{
    const bool hasGlobalTable = file[10] & 0x80;
    const size_t at = 13 + 3 * file[11];
    if (!hasGlobalTable || at + 3 > file.size())
        return 0xFFFFFF;
    return file[at] | (file[at + 1] << 8) | (static_cast<uint32_t>(file[at + 2]) << 16);
}

// The references are the first frame on a transparent canvas; read without
// alpha a transparent pixel is black, where this reader shows the
// background colour.
void expectFirstFrame(const std::filesystem::path& gif, const std::filesystem::path& reference)
{
    const std::vector<uint8_t> file = test::readFile(gif);
    const PictureLoad load = decodeGif(file);
    ASSERT_TRUE(load.ok()) << gif << ": " << load.error;
    const PictureLoad expected = decodePng(test::readFile(reference));
    ASSERT_TRUE(expected.ok()) << reference << ": " << expected.error;
    ASSERT_EQ(std::make_pair(load.bitmap.width(), load.bitmap.height()),
              std::make_pair(expected.bitmap.width(), expected.bitmap.height())) << gif;
    const uint32_t background = screenBackground(file);
    int mismatches = 0;
    for (int y = 0; y < load.bitmap.height(); ++y)
        for (int x = 0; x < load.bitmap.width(); ++x) {
            const uint32_t got = load.bitmap.pixel(x, y), want = expected.bitmap.pixel(x, y);
            mismatches += got != want && !(want == 0 && got == background);
        }
    EXPECT_EQ(mismatches, 0) << gif;
}

TEST(GifAdapter, FirstFramesMatchTheAnimationSuiteAndClippedEdgeCases)
{
    const auto suite = test::testdata("gif/gif-test-suite");
    for (const auto& entry : std::filesystem::directory_iterator(suite)) {
        if (entry.path().extension() != ".gif")
            continue;
        const std::string stem = entry.path().stem().string();
        const auto frame = suite / "frames" / (stem + "-0.png");
        expectFirstFrame(entry.path(), std::filesystem::exists(frame) ? frame : suite / "frames" / (stem + ".png"));
    }
    for (const char* name : {"imagers_interlaced", "imagers_oob", "imagers_issue_1455_oversized"})
        expectFirstFrame(test::testdata(std::string("gif/edge/") + name + ".gif"),
                         test::testdata(std::string("gif/edge/expected_") + name + ".png"));
}

TEST(GifAdapter, CorruptFilesGiveOneSentenceAndNoPicture)
{
    for (const auto& entry : std::filesystem::directory_iterator(test::testdata("gif/corrupt"))) {
        if (entry.path().extension() != ".gif")
            continue;
        const PictureLoad load = decodeGif(test::readFile(entry.path()));
        EXPECT_FALSE(load.ok()) << entry.path();
        EXPECT_TRUE(load.bitmap.empty()) << entry.path();
        EXPECT_EQ(load.error.find('\n'), std::string::npos) << load.error;
    }
    const PictureLoad huge = decodeGif(test::readFile(test::testdata("gif/corrupt/afl_huge_dimensions.gif")));
    EXPECT_NE(huge.error.find("18425x17993"), std::string::npos) << huge.error;
    EXPECT_FALSE(decodeGif({}).ok());
}

TEST(GifAdapter, EveryTruncationAndDamagedByteGivesAnErrorOrASanePicture)
{
    const std::vector<uint8_t> file = test::readFile(test::testdata("gif/giflib/treescap-interlaced.gif"));
    const auto expectSane = [](const PictureLoad& load, const std::string& what) {
        EXPECT_TRUE(load.ok() || load.bitmap.empty()) << what;
        EXPECT_EQ(load.bitmap.rgb().size(), size_t(load.bitmap.width()) * load.bitmap.height() * 3) << what;
    };
    for (size_t at = 0; at < file.size(); ++at) {
        expectSane(decodeGif(std::span(file.data(), at)), "first " + std::to_string(at) + " bytes");
        std::vector<uint8_t> damaged = file;
        damaged[at] ^= 0xA5;
        expectSane(decodeGif(damaged), "byte " + std::to_string(at));
    }
}

}  // namespace
}  // namespace dw
