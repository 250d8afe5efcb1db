// The window driven through its real widgets: typing, clicking, the mouse on
// the picture views, drops. Each case runs in a scratch folder holding the
// table files and a small gradient picture chosen through scripted dialogs.

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <set>

#include "readers/bmp_writer.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/qt_file_dialogs.h"
#include "zxfiles/layouts.h"

namespace fs = std::filesystem;
using dw::Bitmap;
using dw::ui::MainWindow;
using dw::ui::PictureView;
using Pixels = std::set<std::pair<int, int>>;

namespace {

// Red rising to the right, green downwards, blue along the diagonal, so every
// run meets cells of several colours.
Bitmap gradient(int width, int height)
{
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, (x * 255 / width) + 256 * (y * 255 / height) + 65536 * ((x + y) * 2 % 256));
    return picture;
}

void writePicture(const fs::path& name, int width, int height)
{
    dw::test::writeFile(name, dw::encodeBmp24(gradient(width, height)));
}

// A colour no palette mix produces: pixels keeping it were not painted.
constexpr uint32_t untouched = 0x123457;

Pixels changed(const Bitmap& before, const Bitmap& after)
{
    Pixels pixels;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) pixels.insert({x, y});
    return pixels;
}

Pixels square(int left, int top, int right, int bottom)
{
    Pixels pixels;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) pixels.insert({x, y});
    return pixels;
}

QString attributeText(uint8_t a) { return QString("ink=%1;pap=%2").arg((a & 7) + 8 * ((a >> 6) & 1)).arg(a >> 3); }

uint8_t attributeAt(const dw::ScreenBuffer& scr, int x, int y) { return scr[6144 + 32 * (y / 8) + x / 8]; }

// QTest's clicks take the point (0, 0) for the widget's centre, so presses
// are sent as events.
void pressAt(QWidget* widget, Qt::MouseButton button, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void moveOver(QWidget* widget, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<dw::test::ScratchDir> dir;
    dw::test::ScriptedDialogs dialogs;
    dw::test::FixedClock clock;
    std::unique_ptr<MainWindow> window;
    fs::path picture;

    dw::TForm1& form() { return window->form(); }

    template <class T>
    T* find(const char* name)
    {
        T* widget = window->findChild<T*>(name);
        if (!widget) qFatal("no widget %s", name);
        return widget;
    }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }
    PictureView* view(const char* name) { return find<PictureView>(name); }

    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    void openPicture() { click("btOpen"); }

    // Replaces the shown screen by a colour no stroke paints, so that every
    // painted pixel shows up, including those painted as they were.
    void markScreenView()
    {
        Bitmap marked = form().imTo.picture;
        for (int y = 0; y < marked.height(); ++y)
            for (int x = 0; x < marked.width(); ++x) marked.setPixel(x, y, untouched);
        form().imTo.picture = marked;
        window->refreshFromCore();
    }

    void typeInto(const char* name, const QString& text)
    {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }

    QStringList memoLines()
    {
        QStringList lines;
        const QTextDocument* document = find<QPlainTextEdit>("Memo1")->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) lines << block.text();
        return lines;
    }

private slots:
    void init()
    {
        dir = std::make_unique<dw::test::ScratchDir>();
        for (const char* table : {"code256.dat", "deco256.dat", "tablo.dat"})
            fs::copy_file(fs::path(DW_DATA) / table, dir->path() / table);
        picture = dir->path() / "pic.bmp";
        writePicture(picture, 64, 48);
        dialogs.picture = picture.string();
        dialogs.screen.reset();
        window = std::make_unique<MainWindow>(dialogs, clock);
        window->show();
    }

    void cleanup()
    {
        window.reset();
        dir.reset();
    }

    void windowHasItsFixedSizeCaptionAndControlPlaces()
    {
        QCOMPARE(window->windowTitle(), QString("Dapplewright"));
        QCOMPARE(window->minimumSize(), QSize(790, 629));
        QCOMPARE(window->maximumSize(), QSize(790, 629));
        const struct {
            const char* name;
            QRect place;
            const char* caption;
        } buttons[] = {{"btOpen", {8, 216, 193, 17}, "Select File"},  {"Button2", {208, 216, 57, 17}, "Pal"},
                       {"Button1", {0, 216, 9, 105}, ""},              {"btConvMCX", {192, 424, 73, 17}, "to MCX!!!"},
                       {"btConvGiga", {192, 440, 73, 17}, "to Gigascreen"}, {"btSaveDraw", {496, 0, 33, 17}, "save"}};
        for (const auto& b : buttons) {
            QCOMPARE(find<QPushButton>(b.name)->geometry(), b.place);
            QCOMPARE(find<QPushButton>(b.name)->text(), QString(b.caption));
        }
        for (const auto& [name, place] : {std::pair{"imFrom", QRect(8, 24, 256, 192)},
                                          std::pair{"imTo", QRect(272, 24, 256, 192)},
                                          std::pair{"ImToTmpGrey2", QRect(534, 416, 256, 192)}})
            QCOMPARE(view(name)->geometry(), place);
        QCOMPARE(find<QScrollArea>("ScrollBox1")->geometry(), QRect(272, 216, 256, 201));
        QCOMPARE(find<QPlainTextEdit>("Memo1")->geometry(), QRect(8, 232, 257, 89));
        QVERIFY(find<QPlainTextEdit>("Memo1")->isReadOnly());
        QCOMPARE(find<QPlainTextEdit>("Memo1")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit("edDithLevel")->pos(), QPoint(136, 336));
        QCOMPARE(find<QCheckBox>("cbCHRS")->text(), QString("6912/Giga as *.ch$"));
        QCOMPARE(find<QCheckBox>("cbRModeNoise")->pos(), QPoint(192, 463));
        QCOMPARE(find<QLabel>("lbIP2")->geometry().topLeft(), QPoint(192, 0));
        QCOMPARE(find<QLabel>("lbIP2")->width(), 73);
    }

    void startShowsTheInitialValues()
    {
        const std::pair<const char*, const char*> texts[] = {
            {"edBrightness", "0"}, {"edColor", "1"},   {"edContrast", "1.25"}, {"edDithLevel", "1.0"},
            {"edPrior", "1.0"},    {"edkcolerr", "0.0"}, {"edXmin", "0"},      {"edWidth", "0"},
            {"edYmin", "0"},       {"edHeight", "0"},  {"edRadius", "8"}};
        for (const auto& [name, text] : texts) QCOMPARE(edit(name)->text(), QString(text));
        const std::set<QString> checked = {"cbDith", "cbEvenMC", "cbBrightGrey", "cbRModeNoise", "cbFix"};
        for (QCheckBox* box : window->findChildren<QCheckBox*>())
            QCOMPARE(box->isChecked(), checked.count(box->objectName()) == 1);
        QVERIFY(!find<QPushButton>("btSaveDraw")->isEnabled());
        QVERIFY(find<QPushButton>("btConv6912")->isEnabled());
        QCOMPARE(find<QLabel>("lbIP1")->text(), QString());
        QCOMPARE(find<QLabel>("lbIP2")->text(), QString());
        QCOMPARE(form().udRadius.position, 8);
    }

    void memoShowsTheHelpTextThenTheCoreLinesExactly()
    {
        const QStringList help = {"in bottomright image: LMB=set topleft corner, ", "RMB=set bottomright corner",
                                  "in topright image: LMB=re-texturize with chunks, ", "RMB=re-texturize with Floyd",
                                  "8=brush size. Click \"save\" after re-texturizing"};
        QCOMPARE(memoLines().mid(0, 5), help);
        openPicture();
        click("btConv6912");
        QStringList core;
        for (const std::string& line : form().Memo1.lines) core << QString::fromStdString(line);
        QCOMPARE(memoLines(), core);
        QVERIFY(memoLines().contains(QString::fromStdString(picture.string())));
        QVERIFY(memoLines().contains("64x48"));
        QVERIFY(memoLines().last().endsWith(" sec"));
    }

    void typedWidthKeepsTheThreeToFourRoundTrip()
    {
        typeInto("edWidth", "2");
        QCOMPARE(edit("edHeight")->text(), QString("1.5"));
        QTest::keyClicks(edit("edWidth"), "0");
        QCOMPARE(edit("edHeight")->text(), QString("15"));
        QTest::keyClicks(edit("edWidth"), "0");
        QCOMPARE(edit("edHeight")->text(), QString("150"));
        QCOMPARE(edit("edWidth")->text(), QString("200"));
        QCOMPARE(form().cropWidth, 200.0);
        QCOMPARE(form().cropHeight, 150.0);

        // "150" pasted over the height in one change leaves the width alone.
        edit("edHeight")->selectAll();
        edit("edHeight")->insert("150");
        QCOMPARE(edit("edWidth")->text(), QString("200"));
        QCOMPARE(edit("edHeight")->text(), QString("150"));
    }

    // A round trip that does not reproduce the typed text rewrites the edit
    // being typed in; the widget must show the rewritten text.
    void editBeingTypedInShowsTheCoresRewrite()
    {
        typeInto("edHeight", "1");
        QCOMPARE(edit("edWidth")->text(), QString("1.33333333333333"));
        QCOMPARE(edit("edHeight")->text(), QString::fromStdString(form().edHeight.text));
        QVERIFY(edit("edHeight")->text() != "1");
    }

    void checkBoxesToggleOnceInTheCore()
    {
        QTest::mouseClick(find<QCheckBox>("cbChunk5"), Qt::LeftButton);
        QVERIFY(form().cbChunk5.checked);
        QVERIFY(find<QCheckBox>("cbChunk5")->isChecked());
        QCOMPARE(int(form().chunkMask), 1);
        QTest::mouseClick(find<QCheckBox>("cbChunk5"), Qt::LeftButton);
        QCOMPARE(int(form().chunkMask), 7);

        find<QCheckBox>("cbFix")->setFocus();
        QTest::keyClick(find<QCheckBox>("cbFix"), Qt::Key_Space);
        QVERIFY(!form().cbFix.checked);
        QVERIFY(!find<QCheckBox>("cbFix")->isChecked());
        typeInto("edWidth", "200");
        QCOMPARE(edit("edHeight")->text(), QString("0"));
    }

    void upDownStepsTheRadiusWithoutWrapping()
    {
        auto* down = find<QWidget>("udRadius")->findChild<QToolButton*>("down");
        auto* up = find<QWidget>("udRadius")->findChild<QToolButton*>("up");
        for (int i = 0; i < 8; ++i) QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(form().udRadius.position, 1);
        QCOMPARE(edit("edRadius")->text(), QString("1"));
        for (int i = 0; i < 25; ++i) QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(form().udRadius.position, 20);
        QCOMPARE(edit("edRadius")->text(), QString("20"));
        typeInto("edRadius", "3");
        QCOMPARE(form().udRadius.position, 3);
    }

    void everyRunButtonWritesItsFileAndTimeLine()
    {
        openPicture();
        const struct {
            const char* button;
            const char* extension;
            size_t size;
        } runs[] = {{"btConv6912", ".scr", 6912},    {"btConvGiga", ".img", 13824}, {"btConvMC", ".mc", 12288},
                    {"btConvMCX", ".mcx", 24576},    {"btConv8col", ".3", 18432},   {"btConvRMode", ".rm", 15360},
                    {"btConvR48Mode", ".r48", 12288}};
        for (const auto& run : runs) {
            const size_t linesBefore = form().Memo1.lines.size();
            click(run.button);
            const fs::path written = dir->path() / (std::string("pic") + run.extension);
            QVERIFY2(fs::exists(written), run.button);
            QCOMPARE(size_t(fs::file_size(written)), run.size);
            QCOMPARE(memoLines().size(), qsizetype(linesBefore + 1));
            QVERIFY(memoLines().last().endsWith(" sec"));
            QCOMPARE(view("imTo")->shownBitmap(), form().zxBitmap);
        }
        QCOMPARE(size_t(fs::file_size(dir->path() / "layer1.bmp")), size_t(54 + 256 * 192 * 3));
        QCOMPARE(view("imToTmp")->shownBitmap(), form().modelBitmap);
    }

    void brushRadiusOnePaintsThreeByThreeAndScreensStayEqual()
    {
        openPicture();
        click("btConv6912");
        typeInto("edRadius", "1");
        markScreenView();
        const Bitmap marked = form().imTo.picture;
        pressAt(view("imTo"), Qt::LeftButton, QPoint(100, 100));
        QCOMPARE(changed(marked, form().imTo.picture), square(99, 99, 101, 101));
        QCOMPARE(view("imTo")->shownBitmap(), form().imTo.picture);
        QVERIFY(find<QPushButton>("btSaveDraw")->isEnabled());

        for (int x = 0; x < 256; x += 9) moveOver(view("imTo"), QPoint(x, (x * 3) % 192), Qt::LeftButton);
        QVERIFY(std::equal(form().scr1.begin(), form().scr1.begin() + 6912, form().scr2.begin()));

        pressAt(view("imTo"), Qt::RightButton, QPoint(100, 100));
        for (const auto& [x, y] : square(99, 99, 101, 101))
            QCOMPARE(form().imTo.picture.pixel(x, y), form().zxBitmap.pixel(x, y));
    }

    void strokeInTheCornerTouchesOnlyTheNineByNineOnScreen()
    {
        openPicture();
        click("btConv6912");
        markScreenView();
        const Bitmap marked = form().imTo.picture;
        pressAt(view("imTo"), Qt::LeftButton, QPoint(0, 0));
        QCOMPARE(changed(marked, form().imTo.picture), square(0, 0, 8, 8));
    }

    void saveWritesOneStandardScreenAfterACharacterRun()
    {
        openPicture();
        QTest::mouseClick(find<QCheckBox>("cbCHRS"), Qt::LeftButton);
        click("btConv6912");
        QCOMPARE(size_t(fs::file_size(dir->path() / "pic.ch$")), size_t(6919));
        pressAt(view("imTo"), Qt::LeftButton, QPoint(30, 40));
        click("btSaveDraw");
        const std::vector<uint8_t> saved = dw::test::readFile(dir->path() / "pic.scr");
        QCOMPARE(saved.size(), size_t(6912));
        QVERIFY(std::equal(saved.begin(), saved.end(), form().scr1.begin()));
        QVERIFY(!find<QPushButton>("btSaveDraw")->isEnabled());
    }

    // After a gigascreen run a drag over the model view paints the screen
    // view, and the labels show both screens' cells under the pointer.
    void gigascreenDragOverAnotherViewPaintsTheScreenView()
    {
        openPicture();
        click("btConvGiga");
        markScreenView();
        const Bitmap marked = form().imTo.picture;
        const Bitmap model = view("imToTmp")->shownBitmap();
        moveOver(view("imToTmp"), QPoint(50, 60), Qt::LeftButton);
        QCOMPARE(changed(marked, form().imTo.picture), square(42, 52, 58, 68));
        QCOMPARE(view("imTo")->shownBitmap(), form().imTo.picture);
        QCOMPARE(view("imToTmp")->shownBitmap(), model);
        QCOMPARE(find<QLabel>("lbIP1")->text(), attributeText(attributeAt(form().scr1, 50, 60)));
        QCOMPARE(find<QLabel>("lbIP2")->text(), attributeText(attributeAt(form().scr2, 50, 60)));

        moveOver(view("ImToTmpGrey2"), QPoint(50, 60), Qt::RightButton);
        for (const auto& [x, y] : square(42, 52, 58, 68))
            QCOMPARE(form().imTo.picture.pixel(x, y), form().zxBitmap.pixel(x, y));
        click("btSaveDraw");
        QCOMPARE(size_t(fs::file_size(dir->path() / "pic.img")), size_t(13824));
    }

    void brushIsOffAfterMultiColorButLabelsFollow()
    {
        openPicture();
        click("btConvMC");
        const Bitmap shown = form().imTo.picture;
        const dw::ScreenBuffer scr1 = form().scr1, scr2 = form().scr2;
        pressAt(view("imTo"), Qt::LeftButton, QPoint(20, 20));
        moveOver(view("imTo"), QPoint(30, 100), Qt::LeftButton | Qt::RightButton);
        QCOMPARE(form().imTo.picture, shown);
        QVERIFY(form().scr1 == scr1 && form().scr2 == scr2);
        QVERIFY(!find<QPushButton>("btSaveDraw")->isEnabled());
        QCOMPARE(find<QLabel>("lbIP1")->text(), attributeText(attributeAt(scr1, 30, 100)));
    }

    void brushIsOffAfterALoadedScreenButLabelsFollow()
    {
        openPicture();
        click("btConv6912");
        std::vector<uint8_t> screen(6912, 0);
        std::fill(screen.begin() + 6144, screen.end(), 71);
        dw::test::writeFile(dir->path() / "bright.scr", screen);
        dialogs.screen = (dir->path() / "bright.scr").string();
        click("btLoadZX");
        const Bitmap loaded = form().imTo.picture;
        QCOMPARE(view("imTo")->shownBitmap(), loaded);
        pressAt(view("imTo"), Qt::LeftButton, QPoint(10, 10));
        moveOver(view("ImToTmpGrey"), QPoint(10, 10), Qt::LeftButton);
        QCOMPARE(form().imTo.picture, loaded);
        QCOMPARE(find<QLabel>("lbIP1")->text(), QString("ink=15;pap=8"));

        moveOver(view("imTo"), QPoint(-3, 10), Qt::NoButton);
        QCOMPARE(find<QLabel>("lbIP1")->text(), QString());
        QCOMPARE(find<QLabel>("lbIP2")->text(), QString());
    }

    void framingClicksGivePictureCoordinates()
    {
        openPicture();
        QCOMPARE(view("Image1")->size(), QSize(64, 48));
        pressAt(view("Image1"), Qt::LeftButton, QPoint(10, 20));
        pressAt(view("Image1"), Qt::RightButton, QPoint(40, 44));
        QCOMPARE(edit("edXmin")->text(), QString("10"));
        QCOMPARE(edit("edYmin")->text(), QString("20"));
        QCOMPARE(edit("edWidth")->text(), QString("30"));
        QCOMPARE(edit("edHeight")->text(), QString("24"));
        moveOver(view("Image1"), QPoint(5, 7), Qt::NoButton);
        QCOMPARE(find<QLabel>("lbIP1")->text(), QString("X=5;Y=7"));
    }

    void button1TwiceLeavesTheWindowAsItWas()
    {
        openPicture();
        const auto snapshot = [&] {
            QStringList state;
            for (QWidget* w : window->findChildren<QWidget*>())
                state << QString("%1 %2 %3,%4 %5x%6")
                             .arg(w->objectName())
                             .arg(w->isVisibleTo(window.get()))
                             .arg(w->x())
                             .arg(w->y())
                             .arg(w->width())
                             .arg(w->height());
            return state;
        };
        const QStringList before = snapshot();
        click("Button1");
        for (const char* name : {"imFrom", "imTo", "Image1"}) QVERIFY(!view(name)->isVisibleTo(window.get()));
        QVERIFY(view("imToTmp")->isVisibleTo(window.get()));
        click("Button1");
        QCOMPARE(snapshot(), before);
    }

    // Drops a file offered for moving as well as copying; the window must
    // take it as a copy.
    void drop(const fs::path& file)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(100, 100), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(100, 100), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }

    void droppedFilesOpenAsPicturesOrLoadAsScreensOrAreRefused()
    {
        fs::create_directory(dir->path() / "dropped");
        const fs::path other = dir->path() / "dropped" / "small.bmp";
        writePicture(other, 40, 30);
        drop(other);

        QCOMPARE(form().picName, other.string());
        QCOMPARE(fs::current_path(), other.parent_path());
        QCOMPARE(edit("edWidth")->text(), QString("40"));
        QCOMPARE(view("Image1")->size(), QSize(40, 30));
        QVERIFY(memoLines().contains("40x30"));

        openPicture();
        QCOMPARE(form().picName, picture.string());

        const fs::path screen = dir->path() / "shot.scr";
        dw::test::writeFile(screen, std::vector<uint8_t>(6912, 0xFF));
        drop(screen);
        QCOMPARE(form().picName, picture.string());
        QCOMPARE(form().scr1[0], uint8_t(0xFF));
        QCOMPARE(dw::test::readFile(screen).size(), size_t(6912));

        drop(dir->path() / "notes.txt");
        QCOMPARE(memoLines().last(), QString::fromStdString("cannot open " + (dir->path() / "notes.txt").string() +
                                                             ": not a picture or a Spectrum screen file"));
    }

    // A drop lands on the innermost widget that accepts drops; an edit that
    // did would take the file's name as typed text.
    void dropsOverAnyControlReachTheWindow()
    {
        QVERIFY(window->acceptDrops());
        for (QWidget* child : window->findChildren<QWidget*>())
            QVERIFY2(!child->acceptDrops(), qPrintable(child->objectName()));
    }

    void filtersBecomeQtFilters()
    {
        QCOMPARE(dw::ui::qtFilter(dw::ui::pictureFilter),
                 QString("Pictures (*.bmp, *.png, *.tga, *.jpg, *.gif) (*.bmp *.png *.tga *.jpg *.gif);;all (*)"));
        QCOMPARE(dw::ui::qtFilter(dw::ui::screenFilter), QString("all zx (*.mcx *.scr *.mc *.img *.emg);;all (*)"));
        QCOMPARE(dw::ui::qtFilter(dw::ui::paletteFilter), QString("palette (*.act) (*.act);;all (*)"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
