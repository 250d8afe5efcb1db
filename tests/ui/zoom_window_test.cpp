// The zoom window: opened by a double click on the screen view, it shows the
// screen and the prepared picture enlarged with sharp pixels, each frame of
// a gigascreen pair alone, follows every change of the views, and saves
// exactly what it shows; the screen view's preview saved at its scale; the
// framing rectangle drawn over the full-size picture.

#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "readers/png_reader.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "zxfiles/cell_drawing.h"

namespace fs = std::filesystem;
using dw::ui::ZoomWindow;

QRgb rgbAt(const dw::Bitmap& b, int x, int y) { return qRgb(b.red(x, y), b.green(x, y), b.blue(x, y)); }

class ZoomWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsFollowsAndSavesTheEnlargedScreen()
    {
        // The runs write beside the picture, so it is opened from a scratch folder.
        dw::test::ScratchDir dir;
        for (const char* table : {"code256.dat", "deco256.dat", "tablo.dat"})
            fs::copy_file(fs::path(DW_DATA) / table, dir.path() / table);
        fs::copy_file(dw::test::testdata("bmp/bmpsuite/g/rgb24.bmp"), dir.path() / "pic.bmp");
        dw::test::ScriptedDialogs dialogs;
        dialogs.picture = (dir.path() / "pic.bmp").string();
        dw::test::FixedClock clock;
        dw::ui::MainWindow window(dialogs, clock);
        window.show();
        dw::TForm1& form = window.form();
        const auto click = [&](const char* button) {
            QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
        };
        click("btOpen");
        QTRY_VERIFY(!window.decoding());
        const auto* image1 = window.findChild<dw::ui::PictureView*>("Image1");
        QVERIFY(image1->shownFrame());
        QCOMPARE(*image1->shownFrame(), QRectF(0, 0, 127, 95.25));  // the whole width, held at 3:4
        form.setText(form.edXmin, "10");
        window.refreshFromCore();
        QCOMPARE(image1->shownFrame()->x(), 10.0);
        click("btConvGiga");

        auto* screenView = window.findChild<dw::ui::PictureView*>("imTo");
        QTest::mouseDClick(screenView, Qt::LeftButton);
        auto* zoom = window.findChild<ZoomWindow*>("ZoomWindow");
        QVERIFY(zoom && zoom->isVisible());

        // At 3x each pixel is a 3x3 square: the screen at the left, the
        // prepared picture after an 8-pixel gap.
        zoom->choose(ZoomWindow::times3, ZoomWindow::mixed);
        const auto expectShows = [&](const dw::Bitmap& screen) {
            const QImage& shown = zoom->shownImage();
            QCOMPARE(shown.size(), QSize(3 * (256 + 8 + 256), 3 * 192));
            for (int y = 0; y < 192; y += 7)
                for (int x = 0; x < 256; x += 5) {
                    QCOMPARE(shown.pixel(3 * x + 2, 3 * y + 1), rgbAt(screen, x, y));
                    QCOMPARE(shown.pixel(3 * (264 + x), 3 * y + 2), rgbAt(form.normBitmap, x, y));
                }
        };
        expectShows(form.imTo.picture);
        dw::Bitmap frame;
        dw::drawStandardScreen(form.scr2, {form.palB, form.palG, form.palR}, frame);
        zoom->choose(ZoomWindow::times3, ZoomWindow::frame2);
        expectShows(frame);

        click("btConv6912");  // no pair: the frame choice gives way to the screen
        expectShows(form.imTo.picture);
        const dw::Bitmap floyd = form.imTo.picture;
        window.findChild<QCheckBox*>("cbLive")->click();
        window.findChild<QCheckBox*>("cbDith")->click();  // a live run with the ordered pattern
        QTRY_VERIFY_WITH_TIMEOUT(form.imTo.picture != floyd, 120000);
        expectShows(form.imTo.picture);

        const std::string saved = (dir.path() / "zoom.png").string();
        QVERIFY(zoom->saveAsPng(saved).ok());
        const dw::Result<dw::Bitmap> png = dw::decodePng(dw::test::readFile(saved));
        QVERIFY(png.ok());
        QCOMPARE(png->width(), zoom->shownImage().width());
        QCOMPARE(rgbAt(*png, 300, 150), zoom->shownImage().pixel(300, 150));
        QVERIFY(window.savePreview(saved));
        QCOMPARE(dw::decodePng(dw::test::readFile(saved))->width(), 3 * 256);
    }
};

QTEST_MAIN(ZoomWindowTest)
#include "zoom_window_test.moc"
