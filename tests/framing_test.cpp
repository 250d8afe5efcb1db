// Opening a picture and framing the rectangle of it that becomes the screen:
// the 3:4 lock through the edits, framing clicks, the dialog's side effects
// and the output base name.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/form.h"
#include "picture/output_base.h"
#include "readers/png_writer.h"
#include "support/test_support.h"

namespace dw {
namespace {

using test::Harness;
using test::ScratchDir;

void openBlankPicture(Harness& h, const std::string& name, int width, int height)
{
    test::writeFile(name, encodePng(Bitmap(width, height)));
    h.dialogs.picture = name;
    h.form->btOpenClick();
}

struct Framing {
    std::string x, y, width, height;
    bool operator==(const Framing&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Framing& f)
{
    return out << f.x << "," << f.y << " " << f.width << "x" << f.height;
}

Framing framingEdits(const TForm1& f) { return {f.edXmin.text, f.edYmin.text, f.edWidth.text, f.edHeight.text}; }

TEST(Framing, OpeningFramesThreeToFourFromTheTopLeftOnlyWithTheLock)
{
    const struct {
        bool lock;
        int width, height;
        Framing expected;
    } cases[] = {{true, 640, 480, {"0", "0", "640", "480"}},
                 {true, 480, 640, {"0", "0", "480", "360"}},
                 {false, 480, 640, {"0", "0", "480", "640"}}};
    for (const auto& c : cases) {
        ScratchDir dir;
        Harness h;
        h.form->setChecked(h.form->cbFix, c.lock);
        openBlankPicture(h, "p.png", c.width, c.height);
        EXPECT_EQ(framingEdits(*h.form), c.expected) << c.width << "x" << c.height << " lock " << c.lock;
        EXPECT_EQ(h.form->cropWidth, std::stod(c.expected.width));
        EXPECT_EQ(h.form->cropHeight, std::stod(c.expected.height));
    }
}

TEST(Framing, LockedWidthAndHeightFollowEachOther)
{
    ScratchDir dir;
    Harness h;
    TForm1& f = *h.form;
    f.setText(f.edWidth, "200");
    EXPECT_EQ(f.edHeight.text, "150");
    EXPECT_EQ(f.cropHeight, 150);
    f.setText(f.edHeight, "150.0");
    EXPECT_EQ(f.edWidth.text, "200");
    f.setText(f.edHeight, "100");
    EXPECT_EQ(f.edWidth.text, "133.333333333333");
    // The 15-digit width gives back a height just under 100, which rewrites
    // the typed text; that height's width prints as before, ending the chain.
    EXPECT_EQ(f.edHeight.text, "99.9999999999997");
    EXPECT_EQ(f.edWidth.text, "133.333333333333");

    f.setChecked(f.cbFix, false);
    const double height = f.cropHeight;
    f.setText(f.edWidth, "50");
    EXPECT_EQ(f.edHeight.text, "99.9999999999997");
    EXPECT_EQ(f.cropHeight, height);
    EXPECT_EQ(f.cropWidth, 50);
}

TEST(Framing, PositionEditsParseBothIgnoreBadTextAndWaitWhileTheMouseFrames)
{
    ScratchDir dir;
    Harness h;
    TForm1& f = *h.form;
    f.edYmin.text = "7";  // typed without its handler having run yet
    f.setText(f.edXmin, "3.5");
    EXPECT_TRUE(f.cropX == 3.5 && f.cropY == 7);
    f.setText(f.edXmin, "x");
    EXPECT_EQ(f.cropX, 3.5);

    f.cropLock = true;
    f.setText(f.edWidth, "100");
    f.setText(f.edXmin, "5");
    EXPECT_TRUE(f.cropWidth == 0 && f.cropX == 3.5);
    EXPECT_EQ(f.edHeight.text, "0");
}

TEST(Framing, MouseFramingIgnoresTheLock)
{
    ScratchDir dir;
    Harness h;
    TForm1& f = *h.form;
    openBlankPicture(h, "p.png", 640, 480);
    f.Image1MouseDown(MouseButton::left, 10, 20);
    f.Image1MouseDown(MouseButton::right, 266, 212);
    EXPECT_EQ(framingEdits(f), (Framing{"10", "20", "256", "192"}));
    EXPECT_FALSE(f.cropLock);

    f.Image1MouseDown(MouseButton::middle, 30, 100);
    EXPECT_EQ(framingEdits(f), (Framing{"10", "20", "20", "80"}));

    f.Image1MouseDown(MouseButton::right, 5, 5);
    EXPECT_EQ(framingEdits(f), (Framing{"10", "20", "-5", "-15"}));
    EXPECT_TRUE(f.cropWidth == -5 && f.cropHeight == -15);
}

// The chosen picture's folder becomes the working folder; a cancelled
// dialog then keeps the names but still prepares and stops the brush.
TEST(Framing, ChosenPictureSetsNamesAndFolderAndCancellingKeepsThem)
{
    ScratchDir dir;
    Harness h;
    TForm1& f = *h.form;
    const std::filesystem::path folder = dir.path() / "in.dir";
    std::filesystem::create_directory(folder);
    const std::string name = (folder / "photo").string() + ".png";
    openBlankPicture(h, name, 8, 6);
    EXPECT_EQ(f.workFolder, folder.string());
    EXPECT_EQ(f.outBase, (folder / "photo").string());
    EXPECT_EQ(f.Memo1.lines.back(), "8x6");

    f.btSaveDraw.enabled = f.retouchOn = true;
    f.edPrior.text = "0.5";
    h.dialogs.picture.reset();
    f.btOpenClick();
    EXPECT_EQ(f.picName, name);
    EXPECT_EQ(f.outBase, (folder / "photo").string());
    EXPECT_FALSE(f.btSaveDraw.enabled || f.retouchOn);
    EXPECT_EQ(f.mcLevel, 0.5);
}

TEST(Framing, OutputBaseDropsTheLastDotAndWhatFollows)
{
    EXPECT_EQ(outputBase("C:\\a.b\\photo"), "C:\\a");
    EXPECT_EQ(outputBase("/pics/photo.png"), "/pics/photo");
    EXPECT_EQ(outputBase("a.png.bmp"), "a.png");
    EXPECT_EQ(outputBase("photo."), "photo");
    EXPECT_EQ(outputBase("photo"), "");
    EXPECT_EQ(outputBase(""), "");
}

}  // namespace
}  // namespace dw
