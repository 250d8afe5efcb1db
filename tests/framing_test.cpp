// Opening a picture and framing the rectangle of it that becomes the screen:
// the 3:4 lock through the edits, framing clicks, the dialog's side effects
// and the output base name.

#include "core/form.h"
#include "picture/output_base.h"
#include "readers/png_writer.h"
#include "support/test_support.h"

namespace dw {

struct Framing : ::testing::Test {
    test::ScratchDir dir;
    test::Harness h;
    TForm1& f = *h.form;

    void openBlankPicture(const std::string& name, int width, int height)
    {
        test::writeFile(name, encodePng(Bitmap(width, height)));
        h.dialogs.picture = name;
        f.btOpenClick();
    }
    std::string framing() const { return f.edXmin.text + "," + f.edYmin.text + " " + f.edWidth.text + "x" + f.edHeight.text; }
};

TEST_F(Framing, OpeningFramesThreeToFourFromTheTopLeftOnlyWithTheLock)
{
    for (const auto& [lock, width, height, expected] : {std::tuple{true, 640, 480, "0,0 640x480"},
                                                        {true, 480, 640, "0,0 480x360"}, {false, 480, 640, "0,0 480x640"}}) {
        f.setChecked(f.cbFix, lock);
        openBlankPicture(std::to_string(width) + std::to_string(lock) + ".png", width, height);
        EXPECT_EQ(framing(), expected) << width << "x" << height << " lock " << lock;
        EXPECT_EQ(f.cropHeight, lock && height > width ? 360 : height);
    }
}

// The 15-digit width of height 100 gives back a height just under 100, which
// rewrites the typed text; that height's width prints as before, ending the
// chain. Position edits parse both, ignore bad text and wait while the mouse
// frames.
TEST_F(Framing, LockedWidthAndHeightFollowEachOtherAndEditsWaitWhileTheMouseFrames)
{
    f.setText(f.edWidth, "200");
    EXPECT_TRUE(f.edHeight.text == "150" && f.cropHeight == 150);
    f.setText(f.edHeight, "100");
    EXPECT_EQ(f.edWidth.text + " " + f.edHeight.text, "133.333333333333 99.9999999999997");
    f.setChecked(f.cbFix, false);
    f.setText(f.edWidth, "50");
    EXPECT_TRUE(f.edHeight.text == "99.9999999999997" && f.cropWidth == 50);

    f.edYmin.text = "7";  // typed without its handler having run yet
    f.setText(f.edXmin, "3.5");
    f.setText(f.edXmin, "x");
    EXPECT_TRUE(f.cropX == 3.5 && f.cropY == 7);
    f.cropLock = true;
    f.setText(f.edXmin, "5");
    EXPECT_EQ(f.cropX, 3.5);
}

TEST_F(Framing, MouseFramingIgnoresTheLock)
{
    openBlankPicture("p.png", 640, 480);
    f.Image1MouseDown(MouseButton::left, 10, 20);
    f.Image1MouseDown(MouseButton::right, 266, 212);
    EXPECT_EQ(framing(), "10,20 256x192");
    EXPECT_FALSE(f.cropLock);
    f.Image1MouseDown(MouseButton::middle, 30, 100);
    EXPECT_EQ(framing(), "10,20 20x80");
    f.Image1MouseDown(MouseButton::right, 5, 5);
    EXPECT_EQ(framing(), "10,20 -5x-15");
    EXPECT_TRUE(f.cropWidth == -5 && f.cropHeight == -15);
}

// The chosen picture's folder becomes the working folder; a cancelled
// dialog then keeps the names but still prepares and stops the brush.
TEST_F(Framing, ChosenPictureSetsNamesAndFolderAndCancellingKeepsThem)
{
    const std::filesystem::path folder = dir.path() / "in.dir";
    std::filesystem::create_directory(folder);
    const std::string name = (folder / "photo").string() + ".png";
    openBlankPicture(name, 8, 6);
    EXPECT_EQ(f.workFolder, folder.string());
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

TEST_F(Framing, OutputBaseDropsTheLastDotAndWhatFollows)
{
    for (const auto& [name, base] : {std::pair{"C:\\a.b\\photo", "C:\\a"}, {"/pics/photo.png", "/pics/photo"},
                                     {"a.png.bmp", "a.png"}, {"photo.", "photo"}, {"photo", ""}, {"", ""}})
        EXPECT_EQ(outputBase(name), base) << name;
}

}  // namespace dw
