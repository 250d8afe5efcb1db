// The conversion run frame and the "to 6912" run: names and bytes of the
// output file, the memo time line, the copies for the brush, and what a file
// that cannot be written leaves behind.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>

#include "core/number_text.h"
#include "core/output_file.h"
#include "support/test_support.h"

namespace dw {
namespace {

namespace fs = std::filesystem;
using test::Harness;
using test::readFile;
using test::ScratchDir;

std::vector<uint8_t> screenBytes(const TForm1& form, size_t count)
{
    return {form.scr1.begin(), form.scr1.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::vector<std::string> filesIn(const fs::path& folder)
{
    std::vector<std::string> names;
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

TEST(Run6912Output, BeforeAnyPictureWritesNonameScrInTheWorkingFolder)
{
    ScratchDir dir;
    Harness h;
    h.form->btConv6912Click();
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"noname.scr"});
    const std::vector<uint8_t> file = readFile(dir.path() / "noname.scr");
    ASSERT_EQ(file.size(), 6912u);
    EXPECT_EQ(file, screenBytes(*h.form, 6912));
    ASSERT_EQ(h.form->writtenFiles.size(), 1u);
    EXPECT_EQ(h.form->writtenFiles[0].name, "noname.scr");
    EXPECT_EQ(h.form->writtenFiles[0].bytes, 6912u);
    EXPECT_TRUE(h.form->writtenFiles[0].error.empty());
}

TEST(Run6912Output, CharacterLayoutWhenChrsIsChecked)
{
    ScratchDir dir;
    Harness h;
    h.form->setChecked(h.form->cbCHRS, true);
    h.form->btConv6912Click();
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"noname.ch$"});
    const std::vector<uint8_t> file = readFile(dir.path() / "noname.ch$");
    ASSERT_EQ(file.size(), 6919u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 7), (std::vector<uint8_t>{'c', 'h', 'r', '$', 32, 24, 9}));
    // Cell (0, 0): its eight pixel rows, then its attribute.
    for (int row = 0; row < 8; ++row) EXPECT_EQ(file[7 + row], h.form->scr1[32 * 8 * row]) << row;
    EXPECT_EQ(file[7 + 8], h.form->scr1[6144]);
}

TEST(Run6912Output, FileLandsBesideThePictureUnderItsName)
{
    ScratchDir dir;
    Harness h;
    fs::create_directory(dir.path() / "my.pics");
    openPhotoAs(h, dir.path() / "my.pics" / "cat.png");
    h.form->btConv6912Click();
    EXPECT_EQ(filesIn(dir.path() / "my.pics"), (std::vector<std::string>{"cat.png", "cat.scr"}));
    EXPECT_EQ(readFile(dir.path() / "my.pics" / "cat.scr"), screenBytes(*h.form, 6912));
}

// Each run prepares the picture afresh, so error diffused by the previous
// run does not leak into the next one.
TEST(Run6912Output, RepeatedRunsGiveTheSameFile)
{
    ScratchDir dir;
    Harness h;
    openPhotoAs(h, dir.path() / "cat.png");
    h.form->btConv6912Click();
    const std::vector<uint8_t> first = readFile(dir.path() / "cat.scr");
    h.form->btConv6912Click();
    EXPECT_EQ(readFile(dir.path() / "cat.scr"), first);
}

TEST(Run6912State, LeavesAnEqualScreenPairForTheBrush)
{
    for (bool floyd : {true, false}) {
        ScratchDir dir;
        Harness h;
        openPhotoAs(h, dir.path() / "cat.png");
        h.form->setChecked(h.form->cbDith, floyd);
        h.form->btSaveDraw.enabled = true;
        h.form->gigaShown = true;
        h.form->btConv6912Click();
        EXPECT_EQ(h.form->scr2, h.form->scr1);
        EXPECT_EQ(h.form->scr1Conv, h.form->scr1);
        EXPECT_EQ(h.form->scr2Conv, h.form->scr1);
        EXPECT_TRUE(h.form->chunkLevel2 == h.form->chunkLevel1);
        EXPECT_EQ(h.form->retouchOn, floyd);
        EXPECT_FALSE(h.form->gigaShown);
        EXPECT_FALSE(h.form->btSaveDraw.enabled);
        EXPECT_TRUE(h.form->imTo.picture == h.form->zxBitmap);
    }
}

TEST(RunFrame, PlaneCopyIncludesTheMargins)
{
    Harness h;
    h.form->workB[0][-1] = 11;
    h.form->workG[199][263] = 22;
    h.form->workR[195][100] = 33;
    h.form->copyWorkToOrig();
    EXPECT_TRUE(h.form->origB == h.form->workB);
    EXPECT_TRUE(h.form->origG == h.form->workG);
    EXPECT_TRUE(h.form->origR == h.form->workR);
}

// A clock answering from a list, so the timed span is known.
class ListClock : public Clock {
public:
    std::deque<double> answers;
    double seconds() override
    {
        double now = answers.front();
        if (answers.size() > 1) answers.pop_front();
        return now;
    }
};

TEST(RunFrame, TimeLineIsTheElapsedSecondsFollowedBySec)
{
    ScratchDir dir;
    test::ScriptedDialogs dialogs;
    ListClock clock;
    clock.answers = {100.0, 102.25};
    TForm1 form(dialogs, clock);
    form.FormCreate();
    const size_t before = form.Memo1.lines.size();
    form.btConv6912Click();
    ASSERT_EQ(form.Memo1.lines.size(), before + 1);
    EXPECT_EQ(form.Memo1.lines.back(), "2.25 sec");
    EXPECT_EQ(form.timeText, "2.25 sec");
}

TEST(RunFrame, TimeOnTheSteadyClockIsNeverNegative)
{
    ScratchDir dir;
    test::ScriptedDialogs dialogs;
    SteadyClock clock;
    TForm1 form(dialogs, clock);
    form.FormCreate();
    for (int run = 0; run < 2; ++run) {
        form.btConv6912Click();
        const std::string& line = form.Memo1.lines.back();
        ASSERT_TRUE(line.ends_with(" sec")) << line;
        std::optional<double> seconds = parseDecimal(line.substr(0, line.size() - 4));
        ASSERT_TRUE(seconds.has_value()) << line;
        EXPECT_GE(*seconds, 0.0);
    }
}

TEST(RunFrameFailure, MissingFolderIsReportedInTheMemo)
{
    ScratchDir dir;
    Harness h;
    h.form->outBase = (dir.path() / "gone" / "cat").string();
    h.form->btConv6912Click();
    const std::string name = h.form->outBase + ".scr";
    EXPECT_EQ(h.form->Memo1.lines.back(), "cannot write " + name + ": No such file or directory");
    ASSERT_EQ(h.form->writtenFiles.size(), 1u);
    EXPECT_FALSE(h.form->writtenFiles[0].error.empty());
    EXPECT_FALSE(fs::exists(name));
    // The run itself still converted, timed and showed the screen.
    EXPECT_TRUE(h.form->Memo1.lines[h.form->Memo1.lines.size() - 2].ends_with(" sec"));
    EXPECT_TRUE(h.form->imTo.picture == h.form->zxBitmap);
}

// Holds the file size limit low for one scope, as a full disk would; the
// signal a process gets for exceeding it is ignored so write() just fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit low = saved_;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(RunFrameFailure, FailedWriteKeepsTheFileThatWasThere)
{
    ScratchDir dir;
    Harness h;
    const std::vector<uint8_t> old = {1, 2, 3, 4, 5};
    test::writeFile(dir.path() / "noname.scr", old);
    {
        FileSizeLimit limit(1000);
        h.form->btConv6912Click();
    }
    EXPECT_TRUE(h.form->Memo1.lines.back().starts_with("cannot write noname.scr: ")) << h.form->Memo1.lines.back();
    EXPECT_EQ(readFile(dir.path() / "noname.scr"), old);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"noname.scr"});  // no temporary left
}

TEST(OutputFile, ReplacesTheTargetAndKeepsItsPermissions)
{
    ScratchDir dir;
    const fs::path target = dir.path() / "out.bin";
    test::writeFile(target, {9, 9, 9, 9, 9, 9, 9, 9});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::vector<uint8_t> bytes = {1, 2, 3};
    EXPECT_EQ(writeFileAtomically(target.string(), bytes), "");
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.bin"});
}

TEST(OutputFile, RefusesAFolderAsTargetWithoutLeavingATemporary)
{
    ScratchDir dir;
    fs::create_directory(dir.path() / "taken");
    const std::vector<uint8_t> bytes = {1};
    EXPECT_NE(writeFileAtomically((dir.path() / "taken").string(), bytes), "");
    EXPECT_NE(writeFileAtomically("", bytes), "");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"taken"});
}

}  // namespace
}  // namespace dw
