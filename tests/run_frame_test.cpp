// The conversion run frame and the "to 6912" run: names and bytes of the
// output file, the memo time line, the copies for the brush, and what a file
// that cannot be written leaves behind.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <deque>
#include <filesystem>

#include "core/output_file.h"
#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {
namespace {

namespace fs = std::filesystem;
using test::Harness;
using test::readFile;
using test::ScratchDir;
using Names = std::vector<std::string>;

Names filesIn(const fs::path& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Opens a copy of a test photo through the picture dialog, as the window does.
void openPhotoAs(Harness& h, const fs::path& name)
{
    fs::copy_file(test::testdata("photos/skimage_chelsea.png"), name);
    h.dialogs.picture = name.string();
    h.form->btOpenClick();
}

TEST(Run6912Output, BeforeAnyPictureWritesNonameInTheLayoutChrsChooses)
{
    for (bool chrs : {false, true}) {
        ScratchDir dir;
        Harness h;
        h.form->setChecked(h.form->cbCHRS, chrs);
        h.form->btConv6912Click();
        const std::string name = chrs ? "noname.ch$" : "noname.scr";
        EXPECT_EQ(filesIn(dir.path()), Names{name});
        const std::vector<uint8_t> file = readFile(dir.path() / name);
        EXPECT_TRUE(file == (chrs ? chrsFile(h.form->scr1) : scrFile(h.form->scr1))) << name;
        ASSERT_EQ(h.form->writtenFiles.size(), 1u);
        EXPECT_EQ(h.form->writtenFiles[0].name, (dir.path() / name).string());
        EXPECT_EQ(h.form->writtenFiles[0].bytes, chrs ? 6919u : 6912u);
        EXPECT_TRUE(h.form->writtenFiles[0].error.empty());
    }
}

// Each run prepares the picture afresh, so error diffused by the previous
// run does not leak into the next one.
TEST(Run6912Output, FileLandsBesideThePictureAndRepeatedRunsGiveTheSameBytes)
{
    ScratchDir dir;
    Harness h;
    fs::create_directory(dir.path() / "my.pics");
    openPhotoAs(h, dir.path() / "my.pics" / "cat.png");
    h.form->btConv6912Click();
    EXPECT_EQ(filesIn(dir.path() / "my.pics"), (Names{"cat.png", "cat.scr"}));
    const std::vector<uint8_t> first = readFile(dir.path() / "my.pics" / "cat.scr");
    EXPECT_TRUE(first == scrFile(h.form->scr1));
    h.form->btConv6912Click();
    EXPECT_EQ(readFile(dir.path() / "my.pics" / "cat.scr"), first);
}

TEST(Run6912State, LeavesAnEqualScreenPairForTheBrush)
{
    for (bool floyd : {true, false}) {
        ScratchDir dir;
        Harness h;
        TForm1& f = *h.form;
        openPhotoAs(h, dir.path() / "cat.png");
        f.setChecked(f.cbDith, floyd);
        f.btSaveDraw.enabled = f.gigaShown = true;
        f.btConv6912Click();
        EXPECT_TRUE(f.scr2 == f.scr1 && f.scr1Conv == f.scr1 && f.scr2Conv == f.scr1);
        EXPECT_TRUE(f.chunkLevel2 == f.chunkLevel1);
        EXPECT_EQ(f.retouchOn, floyd);
        EXPECT_FALSE(f.gigaShown || f.btSaveDraw.enabled);
        EXPECT_TRUE(f.imTo.picture == f.zxBitmap);
    }
}

TEST(RunFrame, PlaneCopyIncludesTheMargins)
{
    Harness h;
    h.form->workB[0][-1] = 11;
    h.form->workG[199][263] = 22;
    h.form->workR[195][100] = 33;
    h.form->copyWorkToOrig();
    EXPECT_TRUE(h.form->origB == h.form->workB && h.form->origG == h.form->workG && h.form->origR == h.form->workR);
}

// A clock answering from a list, so the timed span is known.
struct ListClock : Clock {
    std::deque<double> answers{100.0, 102.25};
    double seconds() override
    {
        const double now = answers.front();
        if (answers.size() > 1) answers.pop_front();
        return now;
    }
};

TEST(RunFrame, TimeLineIsTheElapsedSecondsFollowedBySec)
{
    ScratchDir dir;
    test::ScriptedDialogs dialogs;
    ListClock clock;
    TForm1 form(dialogs, clock);
    form.FormCreate();
    const size_t before = form.Memo1.lines.size();
    form.btConv6912Click();
    ASSERT_EQ(form.Memo1.lines.size(), before + 1);
    EXPECT_EQ(form.Memo1.lines.back(), "2.25 sec");
    EXPECT_EQ(form.timeText, "2.25 sec");
}

// Holds the file size limit low for one scope, as a full disk would; the
// signal a process gets for exceeding it is ignored so write() just fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_), std::signal(SIGXFSZ, previousHandler_); }

private:
    void (*previousHandler_)(int);
    rlimit saved_{};
};

TEST(RunFrameFailure, UnwritableFileIsReportedAfterTheRunAndKeepsTheFileThatWasThere)
{
    ScratchDir dir;
    Harness h;
    const auto& lines = h.form->Memo1.lines;
    h.form->outBase = (dir.path() / "gone" / "cat").string();
    h.form->btConv6912Click();
    EXPECT_EQ(lines.back(), "cannot write " + h.form->outBase + ".scr: No such file or directory");
    ASSERT_EQ(h.form->writtenFiles.size(), 1u);
    EXPECT_FALSE(h.form->writtenFiles[0].error.empty());
    // The run itself still converted, timed and showed the screen.
    EXPECT_TRUE(lines[lines.size() - 2].ends_with(" sec"));
    EXPECT_TRUE(h.form->imTo.picture == h.form->zxBitmap);

    // A full disk: the old file stays and no temporary is left.
    const std::vector<uint8_t> old = {1, 2, 3, 4, 5};
    test::writeFile(dir.path() / "cat.scr", old);
    fs::copy_file(test::testdata("png/basn2c08.png"), dir.path() / "cat.png");
    h.dialogs.picture = (dir.path() / "cat.png").string();
    h.form->btOpenClick();
    {
        FileSizeLimit limit(1000);
        h.form->btConv6912Click();
    }
    EXPECT_TRUE(lines.back().starts_with("cannot write " + h.form->outBase + ".scr: ")) << lines.back();
    EXPECT_EQ(readFile(dir.path() / "cat.scr"), old);
    EXPECT_EQ(filesIn(dir.path()), (Names{"cat.png", "cat.scr"}));
}

TEST(OutputFile, ReplacesTheTargetKeepingItsPermissionsAndRefusesAFolder)
{
    ScratchDir dir;
    const fs::path target = dir.path() / "out.bin";
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    test::writeFile(target, {9, 9, 9, 9, 9, 9, 9, 9});
    fs::permissions(target, perms);
    const std::vector<uint8_t> bytes = {1, 2, 3};
    EXPECT_EQ(writeFileAtomically(target.string(), bytes), "");
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_EQ(fs::status(target).permissions(), perms);

    fs::create_directory(dir.path() / "taken");
    EXPECT_NE(writeFileAtomically((dir.path() / "taken").string(), bytes), "");
    EXPECT_NE(writeFileAtomically("", bytes), "");
    EXPECT_EQ(filesIn(dir.path()), (Names{"out.bin", "taken"}));  // no temporary left
}

// A run never replaces a file with the blank screen of an empty picture:
// not after a picture that could not be decoded (such as a screen file
// opened as a picture), and not before any picture was opened.
TEST(RunFrameRefusal, AnEmptyPictureNeverReplacesAFile)
{
    ScratchDir dir;
    Harness h;
    const std::vector<uint8_t> screen(6912, 0x55);
    test::writeFile(dir.path() / "noname.scr", screen);
    test::writeFile(dir.path() / "shot.scr", screen);
    h.form->btConv6912Click();
    EXPECT_EQ(h.form->Memo1.lines.back(), "nothing written: no picture is open and noname.scr exists");

    h.dialogs.picture = (dir.path() / "shot.scr").string();
    h.form->btOpenClick();
    h.form->btConv6912Click();
    EXPECT_EQ(h.form->Memo1.lines.back(), "nothing written: the picture could not be read");
    EXPECT_FALSE(h.form->retouchOn);
    EXPECT_EQ(readFile(dir.path() / "noname.scr"), screen);
    EXPECT_EQ(readFile(dir.path() / "shot.scr"), screen);
    EXPECT_TRUE(h.form->writtenFiles.empty());
}

}  // namespace
}  // namespace dw
