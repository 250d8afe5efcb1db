// The window driven through its real widgets: typing, clicking, the mouse on
// the picture views, drops. Each case runs in a scratch folder holding the
// table files and a small picture chosen through scripted dialogs.

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/qt_file_dialogs.h"

namespace fs = std::filesystem;
using dw::Bitmap;
using dw::ui::MainWindow;
using dw::ui::PictureView;
using Pixels = std::set<std::pair<int, int>>;

namespace {

Pixels changed(const Bitmap& before, const Bitmap& after)
{
    Pixels pixels;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) pixels.insert({x, y});
    return pixels;
}

// The 3x3 square a stroke of radius 1 paints around (x, y).
Pixels square(int x, int y)
{
    Pixels pixels;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) pixels.insert({x + dx, y + dy});
    return pixels;
}

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
    // "Select File", then the event loop until the picture is open.
    void openPicture()
    {
        click("btOpen");
        QTRY_VERIFY(!window->decoding());
    }

    void typeInto(const char* name, const QString& text)
    {
        edit(name)->setFocus();
        edit(name)->selectAll();
        QTest::keyClicks(edit(name), text);
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
        fs::copy_file(dw::test::testdata("bmp/bmpsuite/g/rgb24.bmp"), picture);
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

    // Typing "200" rewrites the height on every key; a round trip that does
    // not give back the typed text rewrites the edit being typed in. Check
    // boxes toggle once, by mouse or key; the up-down stops at its top.
    void editsCheckBoxesAndUpDownsReachTheCore()
    {
        typeInto("edWidth", "200");
        QCOMPARE(edit("edHeight")->text(), QString("150"));
        QCOMPARE(form().cropWidth, 200.0);
        typeInto("edHeight", "1");
        QCOMPARE(edit("edWidth")->text(), QString("1.33333333333333"));
        QCOMPARE(edit("edHeight")->text(), QString::fromStdString(form().edHeight.text));
        QVERIFY(edit("edHeight")->text() != "1");

        QTest::mouseClick(find<QCheckBox>("cbChunk5"), Qt::LeftButton);
        QCOMPARE(int(form().chunkMask), 1);
        find<QCheckBox>("cbFix")->setFocus();
        QTest::keyClick(find<QCheckBox>("cbFix"), Qt::Key_Space);
        QVERIFY(!form().cbFix.checked);

        auto* up = find<QWidget>("udRadius")->findChild<QToolButton*>("up");
        for (int i = 0; i < 13; ++i) QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(form().udRadius.position, 20);
        QCOMPARE(edit("edRadius")->text(), QString("20"));
    }

    void aRunButtonWritesItsFileAndTheViewsAndMemoShowTheCore()
    {
        openPicture();
        click("btConvRMode");
        QVERIFY(fs::exists(dir->path() / "pic.rm"));
        QCOMPARE(view("imTo")->shownBitmap(), form().zxBitmap);
        QCOMPARE(view("imToTmp")->shownBitmap(), form().modelBitmap);
        QStringList core;
        for (const std::string& line : form().Memo1.lines) core << QString::fromStdString(line);
        QCOMPARE(memoLines(), core);
    }

    // Typing "1.6" starts live runs for "1", "1." and "1.6"; the views end
    // on what the button shows for 1.6, and nothing is written.
    void aSupersededLiveRunEndsOnTheNewestSettingsAndWritesNothing()
    {
        const auto shown = [&] {
            std::vector<Bitmap> views;
            for (const char* name : {"imTo", "imToTmp", "ImToTmpGrey", "ImToTmpGrey2"})
                views.push_back(view(name)->shownBitmap());
            return views;
        };
        const auto files = [&] {
            std::map<fs::path, std::vector<uint8_t>> bytes;
            for (const fs::directory_entry& file : fs::directory_iterator(dir->path()))
                bytes[file.path()] = dw::test::readFile(file);
            return bytes;
        };
        click("btOpen");
        typeInto("edContrast", "1.6");
        click("btConvRMode");
        const std::vector<Bitmap> buttonShows = shown();
        typeInto("edContrast", "0.5");
        click("btConvRMode");
        const auto written = files();
        const QStringList memo = memoLines();
        QTest::mouseClick(find<QCheckBox>("cbLive"), Qt::LeftButton);
        typeInto("edContrast", "1.6");
        QTRY_VERIFY_WITH_TIMEOUT(shown() == buttonShows, 120000);  // sanitizer builds on a busy machine
        QVERIFY(files() == written);
        QCOMPARE(memoLines(), memo);
    }

    // "Export for a Spectrum..." after a load gives the snapshot the command
    // line makes of the loaded file; after a run whose screen no Spectrum
    // shows it refuses.
    void exportAfterALoadIsTheCommandLinesExportOfTheFile()
    {
        const fs::path screen = dir->path() / "shot.scr";
        std::vector<uint8_t> bytes(6912);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + i / 251);
        dw::test::writeFile(screen, bytes);
        dialogs.screen = screen.string();
        click("btLoadZX");
        QVERIFY(window->exportShownScreen((dir->path() / "shown.z80").string()));
        QCOMPARE(dw::test::runCli("export " + screen.string() + " -o cli.z80").status, 0);
        QVERIFY(dw::test::readFile(dir->path() / "shown.z80") == dw::test::readFile(dir->path() / "cli.z80"));
        openPicture();
        click("btConv8col");
        QVERIFY(!window->exportShownScreen((dir->path() / "none.z80").string()));
    }

    // The brush through the screen view and, after a gigascreen run, the
    // model view paints the squares under the pointer; "save" writes the pair.
    void brushOnTheScreenAndModelViewsPaintsAndSaves()
    {
        openPicture();
        click("btConvGiga");
        typeInto("edRadius", "1");
        // Grey 87, which no stroke paints, so that pixels painted as they were show up too.
        Bitmap marked = form().imTo.picture;
        std::ranges::fill(marked.rgb(), 87);
        form().imTo.picture = marked;
        window->refreshFromCore();
        pressAt(view("imTo"), Qt::LeftButton, QPoint(100, 100));
        QCOMPARE(view("imTo")->shownBitmap(), form().imTo.picture);
        moveOver(view("imToTmp"), QPoint(50, 60), Qt::LeftButton);
        Pixels painted = square(100, 100);
        painted.merge(square(50, 60));
        QCOMPARE(changed(marked, form().imTo.picture), painted);
        click("btSaveDraw");
        QCOMPARE(size_t(fs::file_size(dir->path() / "pic.img")), size_t(13824));
        QVERIFY(!find<QPushButton>("btSaveDraw")->isEnabled());
    }

    void framingClicksGivePictureCoordinates()
    {
        openPicture();
        QCOMPARE(view("Image1")->size(), QSize(127, 64));
        pressAt(view("Image1"), Qt::LeftButton, QPoint(10, 20));
        pressAt(view("Image1"), Qt::RightButton, QPoint(40, 44));
        QCOMPARE(edit("edXmin")->text() + " " + edit("edYmin")->text(), QString("10 20"));
        QCOMPARE(edit("edWidth")->text() + " " + edit("edHeight")->text(), QString("30 24"));
        moveOver(view("Image1"), QPoint(5, 7), Qt::NoButton);
        QCOMPARE(find<QLabel>("lbIP1")->text(), QString("X=5;Y=7"));
    }

    // A picture named by a pipe decodes only once the pipe has a writer.
    // Meanwhile the window answers events under the busy cursor; a second
    // choice supersedes the first, which never shows; the window then holds
    // what the handler alone gives. Closed while a decode waits, the window
    // is never answered, nor is a handler waiting in its dialog.
    void picturesDecodeWhileTheWindowAnswersAndTheNewestOpens()
    {
        const fs::path pipe = dir->path() / "slow.png", pipe2 = dir->path() / "slow2.png";
        const fs::path pipe3 = dir->path() / "slow3.png", second = dir->path() / "second.gif";
        for (const fs::path& named : {pipe, pipe2, pipe3}) QCOMPARE(mkfifo(named.c_str(), 0600), 0);
        fs::copy_file(dw::test::testdata("gif/giflib/treescap.gif"), second);
        // A decode waiting on the pipe goes on, reading nothing; one coming later finds no file.
        const auto release = [](const fs::path& named) {
            const int end = ::open(named.c_str(), O_RDWR);
            fs::remove(named);
            ::close(end);
        };
        dialogs.picture = pipe.string();
        click("btOpen");
        bool answered = false;
        QTimer::singleShot(0, [&] { answered = true; });
        QTRY_VERIFY(answered);
        QVERIFY(QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor);
        QVERIFY(form().picName.empty());
        dialogs.picture = second.string();
        click("btOpen");
        release(pipe);
        QTRY_VERIFY(!QGuiApplication::overrideCursor());
        dw::test::Harness alone;
        alone.dialogs.picture = second.string();
        alone.form->btOpenClick();
        QVERIFY(form().Memo1.lines == alone.form->Memo1.lines);
        QCOMPARE(view("imFrom")->shownBitmap(), alone.form->imFrom.picture);
        QCOMPARE(view("Image1")->shownBitmap(), alone.form->Image1.picture);

        dialogs.picture = pipe2.string();
        click("btOpen");
        dialogs.whileOpen = [&] {
            release(pipe2);
            QTest::qWait(100);
            QVERIFY(form().loadedName != pipe2.string());
        };
        click("Button2");
        dialogs.whileOpen = nullptr;
        QTRY_COMPARE(form().loadedName, pipe2.string());

        dialogs.picture = pipe3.string();
        click("btOpen");
        window.reset();
        QVERIFY(!QGuiApplication::overrideCursor());
        release(pipe3);
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
        QTRY_VERIFY(!window->decoding());
    }

    // A drop lands on the innermost widget that accepts drops; an edit that
    // did would take the file's name as typed text.
    void droppedFilesOpenAsPicturesOrLoadAsScreensOrAreRefusedWhereverTheyLand()
    {
        for (QWidget* child : window->findChildren<QWidget*>())
            QVERIFY2(!child->acceptDrops(), qPrintable(child->objectName()));
        fs::create_directory(dir->path() / "dropped");
        const fs::path other = dir->path() / "dropped" / "small.gif";
        fs::copy_file(dw::test::testdata("gif/giflib/treescap.gif"), other);
        drop(other);

        QCOMPARE(form().picName, other.string());
        QCOMPARE(fs::current_path(), other.parent_path());
        QCOMPARE(view("Image1")->size(), QSize(40, 40));
        const fs::path screen = dir->path() / "shot.scr";
        dw::test::writeFile(screen, std::vector<uint8_t>(6912, 0xFF));
        drop(screen);
        QCOMPARE(form().picName, other.string());
        QCOMPARE(form().scr1[0], uint8_t(0xFF));
        QCOMPARE(dw::test::readFile(screen).size(), size_t(6912));

        drop(dir->path() / "notes.txt");
        QCOMPARE(memoLines().last(), QString::fromStdString("cannot open " + (dir->path() / "notes.txt").string() +
                                                             ": not a picture or a Spectrum screen file"));
    }

    void dialogFiltersBecomeQtFilters()
    {
        QCOMPARE(dw::ui::qtFilter(dw::ui::pictureFilter),
                 QString("Pictures (*.bmp, *.png, *.tga, *.jpg, *.gif) (*.bmp *.png *.tga *.jpg *.gif);;all (*)"));
        QCOMPARE(dw::ui::qtFilter(dw::ui::screenFilter), QString("all zx (*.mcx *.scr *.mc *.img *.emg);;all (*)"));
        QCOMPARE(dw::ui::qtFilter(dw::ui::paletteFilter), QString("palette (*.act) (*.act);;all (*)"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
