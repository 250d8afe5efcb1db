

#include "readers/gif_adapter.h"
#include "support/test_support.h"

namespace dw {

// Raw top-down RGB written by giflib's gif2rgb, interlaced files included.
TEST(GifAdapter, GiflibSamplesMatchTheirReferenceDecodes)
{
    for (const char* name : {"gifgrid", "porsche", "treescap", "treescap-interlaced", "x-trans"}) {
        const Result<Bitmap> load = test::decodeData(std::string("gif/giflib/") + name + ".gif");
        ASSERT_TRUE(load.ok()) << name << ": " << load.error();
        const std::vector<uint8_t> rgb(load.value().rgb().begin(), load.value().rgb().end());
        EXPECT_EQ(rgb, test::readFile(test::testdata(std::string("gif/giflib/expected_") + name + ".rgb"))) << name;
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
    const Result<Bitmap> load = decodeGif(file);
    ASSERT_TRUE(load.ok()) << gif << ": " << load.error();
    const Result<Bitmap> expected = loadPicture(reference.string());
    ASSERT_TRUE(expected.ok()) << reference << ": " << expected.error();
    ASSERT_EQ(std::make_pair(load.value().width(), load.value().height()),
              std::make_pair(expected.value().width(), expected.value().height())) << gif;
    const uint32_t background = screenBackground(file);
    int mismatches = 0;
    for (int y = 0; y < load.value().height(); ++y)
        for (int x = 0; x < load.value().width(); ++x) {
            const uint32_t got = load.value().pixel(x, y), want = expected.value().pixel(x, y);
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

TEST(GifAdapter, CorruptFilesGiveOneSentenceAndNoPictureAndDamagedCopiesAreSurvived)
{
    for (const auto& entry : std::filesystem::directory_iterator(test::testdata("gif/corrupt")))
        if (entry.path().extension() == ".gif") {
            const Result<Bitmap> load = decodeGif(test::readFile(entry.path()));
            EXPECT_FALSE(load.ok()) << entry.path();
            test::expectSane(load, entry.path());
        }
    EXPECT_NE(test::decodeData("gif/corrupt/afl_huge_dimensions.gif").error().find("18425x17993"), std::string::npos);
    test::expectDamagedCopiesSane("gif/giflib/treescap-interlaced.gif", decodeGif);
}

}  // namespace dw
