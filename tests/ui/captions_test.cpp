// Every caption shows whole at its place: no label runs under another
// control or past the window, check box captions fit beside their
// indicators, the status labels hold their widest texts, and a number the
// program writes into an edit shows from its start.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include "ui/main_window.h"

using dw::ui::MainWindow;

class CaptionsTest : public QObject {
    Q_OBJECT

    dw::NoDialogs dialogs;
    dw::SteadyClock clock;

private slots:
    void everyCaptionShowsWhole()
    {
        MainWindow window(dialogs, clock);
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;
            // The inked pixels of the text, set on the label's vertically centred baseline.
            const QFontMetrics metrics = label->fontMetrics();
            const int baseline = label->y() + (label->height() - metrics.height()) / 2 + metrics.ascent();
            const QRect text = metrics.tightBoundingRect(label->text()).translated(label->x(), baseline);
            QVERIFY2(text.right() < window.width(), qPrintable(label->text()));
            for (const QWidget* other : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (other != label && !qobject_cast<const QLabel*>(other))
                    QVERIFY2(!text.intersects(other->geometry()), qPrintable(label->text() + " under " + other->objectName()));
        }
        for (const QCheckBox* box : window.findChildren<QCheckBox*>()) {
            QStyleOptionButton option;
            option.initFrom(box);
            const int room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) <= room, qPrintable(box->text()));
        }
        for (const char* name : {"lbIP1", "lbIP2"}) {
            const QLabel* status = window.findChild<QLabel*>(name);
            for (const char* widest : {"ink=15;pap=15", "X=16383;Y=16383"})
                QVERIFY2(status->fontMetrics().horizontalAdvance(widest) <= status->width(), widest);
        }
    }

    void aWrittenNumberShowsItsStart()
    {
        MainWindow window(dialogs, clock);
        window.form().edHeight.text = "401.333333333333";
        window.refreshFromCore();
        QCOMPARE(window.findChild<QLineEdit*>("edHeight")->cursorPosition(), 0);
    }
};

QTEST_MAIN(CaptionsTest)
#include "captions_test.moc"
