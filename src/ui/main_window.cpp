#include "ui/main_window.h"

#include <QCheckBox>
#include <QLayout>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "ui/fitted_font.h"
#include "ui/live_runner.h"
#include "ui/png_file.h"
#include "zxfiles/cell_drawing.h"
#include "ui/picture_view.h"
#include "ui/up_down.h"

namespace dw::ui {

namespace {

constexpr int clientWidth = 790;
constexpr int clientHeight = 629;
constexpr int fontPoints = 8;
constexpr int editHeight = 18;
constexpr int checkHeight = 17;
constexpr int statusLabelWidth = 73;

struct Place {
    int x, y, width, height;
};

QString text(const std::string& s) { return QString::fromStdString(s); }

// A dropped or named file as the full local name the dialogs would give.
std::string fullLocalName(const QString& fileName)
{
    return QFile::encodeName(QFileInfo(fileName).absoluteFilePath()).toStdString();
}

}  // namespace

std::optional<std::string> DialogRouter::ask(std::optional<std::string> (FileDialogs::*choose)(const std::string&),
                                             const std::string& initialDir)
{
    ++asking_;
    std::optional<std::string> chosen = (dialogs_.*choose)(initialDir);
    --asking_;
    return chosen;
}

std::optional<std::string> DialogRouter::choosePicture(const std::string& initialDir)
{
    if (nextPicture_) return *std::exchange(nextPicture_, std::nullopt);
    return ask(&FileDialogs::choosePicture, initialDir);
}

std::optional<std::string> DialogRouter::chooseScreen(const std::string& initialDir)
{
    return ask(&FileDialogs::chooseScreen, initialDir);
}

std::optional<std::string> DialogRouter::choosePalette(const std::string& initialDir)
{
    return ask(&FileDialogs::choosePalette, initialDir);
}

void DialogRouter::enterFolder(const std::string& folder)
{
    std::error_code ignored;
    std::filesystem::current_path(folder, ignored);
}

MainWindow::MainWindow(FileDialogs& dialogs, Clock& clock, QWidget* parent)
    : QWidget(parent), router_(dialogs), form_(router_, clock)
{
    setObjectName("Form1");
    setWindowTitle("Dapplewright");
    // Captions were laid out for a narrow 8-point face; a condensed face
    // keeps them inside their controls where the system offers one.
    QFont windowFont = font();
    windowFont.setPointSize(fontPoints);
    windowFont.setStretch(QFont::SemiCondensed);
    setFont(windowFont);
    setFixedSize(clientWidth, clientHeight);
    setAcceptDrops(true);

    buildViews();
    buildLabels();
    buildEdits();
    buildCheckBoxes();
    buildButtons();
    buildRadius();
    buildMemo();
    buildLiveBox();

    form_.FormCreate();
    refreshFromCore();
    // A picture opens between handlers, never inside one that waits in its dialog.
    decoder_.mayAnswer = [this] { return !router_.asking(); };
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLabels()
{
    // `room`: up to the next control on the caption's line.
    struct Caption {
        const char* text;
        int x, y, room;
    };
    for (const Caption& c : {Caption{"Normalized picture", 88, 0, 104}, Caption{"ZX Spectrum screen", 352, 0, 104},
                             Caption{"Model", 648, 0, 142}, Caption{"brush", 272, 0, 32},
                             Caption{"Brightness:", 0, 321, 56}, Caption{"Saturation:", 0, 339, 56},
                             Caption{"Contrast:", 0, 358, 56}, Caption{"Dithering level", 118, 323, 82},
                             Caption{"Multicolor level", 118, 356, 82}, Caption{"kcolerr:", 6, 444, 42},
                             Caption{"x width=", 306, 422, 38}, Caption{"y height=", 457, 422, 39}}) {
        auto* label = new QLabel(c.text, this);
        label->setFont(fittedFont(font(), {c.text}, c.room));
        label->adjustSize();
        label->move(c.x, c.y);
    }
    // Either label shows a cell's attributes, the first also the pointer's
    // place in the largest picture.
    const QFont statusFont = fittedFont(font(), {"ink=15;pap=15", "X=16383;Y=16383"}, statusLabelWidth);
    for (auto [label, x] : {std::pair{&lbIP1_, 8}, std::pair{&lbIP2_, 192}}) {
        *label = new QLabel(this);
        (*label)->setFont(statusFont);
        (*label)->setGeometry(x, 0, statusLabelWidth, 13);
    }
    lbIP1_->setObjectName("lbIP1");
    lbIP2_->setObjectName("lbIP2");
}

void MainWindow::buildEdits()
{
    struct EditPlace {
        const char* name;
        Edit TForm1::*control;
        Place place;
    };
    for (const EditPlace& e : {EditPlace{"edBrightness", &TForm1::edBrightness, {56, 320, 57, editHeight}},
                               EditPlace{"edColor", &TForm1::edColor, {56, 338, 57, editHeight}},
                               EditPlace{"edContrast", &TForm1::edContrast, {56, 357, 57, editHeight}},
                               EditPlace{"edDithLevel", &TForm1::edDithLevel, {136, 336, 57, editHeight}},
                               EditPlace{"edPrior", &TForm1::edPrior, {136, 367, 57, editHeight}},
                               EditPlace{"edkcolerr", &TForm1::edkcolerr, {48, 442, 65, editHeight}},
                               EditPlace{"edXmin", &TForm1::edXmin, {272, 416, 33, editHeight}},
                               EditPlace{"edWidth", &TForm1::edWidth, {344, 416, 38, editHeight}},
                               EditPlace{"edYmin", &TForm1::edYmin, {424, 416, 33, editHeight}},
                               EditPlace{"edHeight", &TForm1::edHeight, {496, 416, 33, editHeight}},
                               EditPlace{"edRadius", &TForm1::edRadius, {304, -2, 26, editHeight}}}) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(e.name);
        // A file dropped anywhere on the window opens as a picture, not as text.
        edit->setAcceptDrops(false);
        edit->setGeometry(e.place.x, e.place.y, e.place.width, e.place.height);
        edits_.push_back({edit, e.control});
        connect(edit, &QLineEdit::textEdited, this, [this, control = e.control](const QString& typed) {
            form_.setText(form_.*control, typed.toStdString());
            if (control != &TForm1::edRadius) reconvertLive();  // the brush size is no setting of a run
            refreshFromCore();
        });
    }
}

void MainWindow::buildCheckBoxes()
{
    struct CheckPlace {
        const char* name;
        const char* caption;
        CheckBox TForm1::*control;
        Place place;
    };
    for (const CheckPlace& c :
         {CheckPlace{"cbBrightOnly", "Bright Only", &TForm1::cbBrightOnly, {200, 320, 65, checkHeight}},
          CheckPlace{"cbDith", "Floyd", &TForm1::cbDith, {200, 336, 65, checkHeight}},
          CheckPlace{"cbChunk5", "5 chunks", &TForm1::cbChunk5, {200, 351, 65, checkHeight}},
          CheckPlace{"cbLimitMC", "Limit MC", &TForm1::cbLimitMC, {200, 367, 65, checkHeight}},
          CheckPlace{"cbEvenMC", "Even MC", &TForm1::cbEvenMC, {200, 383, 65, checkHeight}},
          CheckPlace{"cbBrightGrey", "Bright grey", &TForm1::cbBrightGrey, {200, 399, 65, checkHeight}},
          CheckPlace{"cbRModeNoise", "R-Mode noise", &TForm1::cbRModeNoise, {192, 463, 97, checkHeight}},
          CheckPlace{"cbMCFilter", "Palette centering", &TForm1::cbMCFilter, {0, 378, 113, checkHeight}},
          CheckPlace{"cbProjecting", "Color projecting", &TForm1::cbProjecting, {0, 394, 113, checkHeight}},
          CheckPlace{"cbEcoImg", "Giga as *.emg", &TForm1::cbEcoImg, {0, 410, 113, checkHeight}},
          CheckPlace{"cbCHRS", "6912/Giga as *.ch$", &TForm1::cbCHRS, {0, 426, 118, checkHeight}},
          CheckPlace{"cbFix", "3:4", &TForm1::cbFix, {384, 421, 38, checkHeight}}}) {
        auto* box = new QCheckBox(c.caption, this);
        box->setObjectName(c.name);
        box->setGeometry(c.place.x, c.place.y, c.place.width, c.place.height);
        box->setFont(fittedFont(font(), {c.caption}, checkBoxTextRoom(box)));
        checkBoxes_.push_back({box, c.control});
        // The widget has toggled itself already; the core toggles its own
        // state and the refresh puts the widget in line with it.
        connect(box, &QCheckBox::clicked, this, [this, control = c.control] {
            form_.click(form_.*control);
            reconvertLive();
            refreshFromCore();
        });
    }
}

void MainWindow::buildButtons()
{
    struct ButtonPlace {
        const char* name;
        const char* caption;
        Button TForm1::*control;
        void (TForm1::*handler)();
        Place place;
    };
    for (const ButtonPlace& b :
         {ButtonPlace{"btOpen", "Select File", &TForm1::btOpen, &TForm1::btOpenClick, {8, 216, 193, 17}},
          ButtonPlace{"Button2", "Pal", &TForm1::Button2, &TForm1::Button2Click, {208, 216, 57, 17}},
          ButtonPlace{"Button1", "", &TForm1::Button1, &TForm1::Button1Click, {0, 216, 9, 105}},
          ButtonPlace{"btConvRMode", "to R-Mode", &TForm1::btConvRMode, &TForm1::btConvRModeClick, {120, 392, 73, 17}},
          ButtonPlace{"btConvR48Mode", "to R48-Mode", &TForm1::btConvR48Mode, &TForm1::btConvR48ModeClick,
                      {120, 408, 73, 17}},
          ButtonPlace{"btConvMC", "to MultiColor", &TForm1::btConvMC, &TForm1::btConvMCClick, {120, 424, 73, 17}},
          ButtonPlace{"btConvMCX", "to MCX!!!", &TForm1::btConvMCX, &TForm1::btConvMCXClick, {192, 424, 73, 17}},
          ButtonPlace{"btConv6912", "to 6912", &TForm1::btConv6912, &TForm1::btConv6912Click, {120, 440, 73, 17}},
          ButtonPlace{"btConvGiga", "to Gigascreen", &TForm1::btConvGiga, &TForm1::btConvGigaClick,
                      {192, 440, 73, 17}},
          ButtonPlace{"btConv8col", "to 8col", &TForm1::btConv8col, &TForm1::btConv8colClick, {272, 440, 73, 17}},
          ButtonPlace{"btLoadZX", "load", &TForm1::btLoadZX, &TForm1::ImLoadClick, {456, 0, 33, 17}},
          ButtonPlace{"btSaveDraw", "save", &TForm1::btSaveDraw, &TForm1::btSaveDrawClick, {496, 0, 33, 17}}}) {
        auto* button = new QPushButton(b.caption, this);
        button->setObjectName(b.name);
        button->setGeometry(b.place.x, b.place.y, b.place.width, b.place.height);
        buttons_.push_back({button, b.control});
        if (b.handler == &TForm1::btOpenClick)
            connect(button, &QPushButton::clicked, this, &MainWindow::selectFile);
        else
            connect(button, &QPushButton::clicked, this, [this, handler = b.handler] { run(handler); });
    }
}

void MainWindow::buildViews()
{
    struct ViewPlace {
        const char* name;
        ImageView TForm1::*control;
        int x, y;
    };
    for (const ViewPlace& v : {ViewPlace{"imFrom", &TForm1::imFrom, 8, 24}, ViewPlace{"imTo", &TForm1::imTo, 272, 24},
                               ViewPlace{"imToTmp", &TForm1::imToTmp, 536, 24},
                               ViewPlace{"ImToTmpGrey", &TForm1::ImToTmpGrey, 534, 224},
                               ViewPlace{"ImToTmpGrey2", &TForm1::ImToTmpGrey2, 534, 416}}) {
        auto* view = new PictureView(this);
        view->setObjectName(v.name);
        view->setGeometry(v.x, v.y, screenWidth, screenHeight);
        views_.push_back({view, v.control});
        if (v.control == &TForm1::imTo) {
            buildExportMenu(view);
            view->onDoubleClick = [this] { openZoom(); };
        }
        if (v.control == &TForm1::imFrom) continue;
        // Whichever screen view the pointer is over, the brush paints imTo.
        view->onPress = [this](MouseButton button, int x, int y) {
            form_.imToMouseDown(button, x, y);
            refreshFromCore();
        };
        view->onMove = [this](HeldButtons held, int x, int y) {
            form_.imToMouseMove(held, x, y);
            refreshFromCore();
        };
    }

    scrollBox_ = new QScrollArea(this);
    scrollBox_->setObjectName("ScrollBox1");
    scrollBox_->setGeometry(272, 216, 256, 201);
    scrollBox_->setWidgetResizable(false);
    auto* image1 = image1_ = new PictureView;
    image1->setObjectName("Image1");
    image1->setFollowsPictureSize(true);
    scrollBox_->setWidget(image1);
    views_.push_back({image1, &TForm1::Image1});
    image1->onPress = [this](MouseButton button, int x, int y) {
        form_.Image1MouseDown(button, x, y);
        reconvertLive();
        refreshFromCore();
    };
    image1->onMove = [this](HeldButtons, int x, int y) {
        form_.Image1MouseMove(x, y);
        refreshFromCore();
    };
}

// The up-down steps udRadius and writes its position into its buddy edit;
// a whole number typed into the edit moves the up-down, held in its range.
void MainWindow::buildRadius()
{
    auto* arrows = new UpDownArrows(this);
    arrows->setObjectName("udRadius");
    arrows->setGeometry(330, -2, 16, 21);
    // The control starts above the window; its arrows are drawn below that edge.
    arrows->layout()->setContentsMargins(0, 2, 0, 0);
    arrows->onStep = [this](int step) {
        UpDown& ud = form_.udRadius;
        ud.position = steppedPosition(ud.position, step, ud.min, ud.max);
        form_.setText(form_.edRadius, std::to_string(ud.position));
        refreshFromCore();
    };
    auto* edRadius = findChild<QLineEdit*>("edRadius");
    connect(edRadius, &QLineEdit::textEdited, this, [this](const QString& typed) {
        bool whole = false;
        const int value = typed.trimmed().toInt(&whole);
        UpDown& ud = form_.udRadius;
        if (whole) ud.position = std::clamp(value, ud.min, ud.max);
    });
}

void MainWindow::buildMemo()
{
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setGeometry(8, 232, 257, 89);
    memo_->setReadOnly(true);
    memo_->setAcceptDrops(false);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void MainWindow::run(void (TForm1::*handler)())
{
    (form_.*handler)();
    noteShownScreen(handler);
    noteLiveEffect(handler);
    refreshFromCore();
    if (handler == &TForm1::btOpenClick) scrollToFraming();
}

// The middle of the framing rectangle, and as much of it as the box shows.
void MainWindow::scrollToFraming()
{
    if (const auto& frame = image1_->shownFrame())
        scrollBox_->ensureVisible(qRound(frame->center().x()), qRound(frame->center().y()),
                                  qRound(frame->width() / 2), qRound(frame->height() / 2));
}

// The dialog is asked here, so that the picture chosen can be decoded before
// the handler runs; a cancelled one runs it at once.
void MainWindow::selectFile()
{
    const std::optional<std::string> chosen = router_.choosePicture(form_.workFolder);
    const auto open = [this, chosen] {
        router_.answerNextPicture(chosen);
        run(&TForm1::btOpenClick);
    };
    if (chosen)
        openAfterDecode(*chosen, open);
    else
        open();
}

void MainWindow::openFile(const QString& fileName)
{
    const std::string name = fullLocalName(fileName);
    const auto open = [this, name] {
        form_.dropFile(name);
        noteLoadedScreen();
        noteLiveDrop(name);
        refreshFromCore();
        scrollToFraming();
    };
    if (TForm1::dropOpensPicture(name)) {
        openAfterDecode(name, open);
        return;
    }
    // Any drop is newer than a picture still decoding, which then never opens.
    decoder_.cancel();
    open();
}

void MainWindow::openAfterDecode(const std::string& name, std::function<void()> open)
{
    const std::string picture = cutName(name);
    // The same picture again is not decoded anew.
    if (picture == form_.loadedName) {
        decoder_.cancel();
        open();
        return;
    }
    decoder_.decode(picture, [this, open = std::move(open)](std::string decoded, Result<Bitmap> bitmap) {
        form_.holdDecodedPicture(std::move(decoded), std::move(bitmap));
        open();
    });
}

void MainWindow::refreshFromCore()
{
    for (const EditBinding& e : edits_) {
        const Edit& edit = form_.*e.control;
        const QSignalBlocker blocker(e.widget);
        if (e.widget->text() != text(edit.text)) {
            e.widget->setText(text(edit.text));
            // A number the program wrote shows from its start, as one typed does.
            if (!e.widget->hasFocus()) e.widget->setCursorPosition(0);
        }
        e.widget->setEnabled(edit.enabled);
    }
    for (const CheckBinding& c : checkBoxes_) {
        const QSignalBlocker blocker(c.widget);
        c.widget->setChecked((form_.*c.control).checked);
    }
    for (const ButtonBinding& b : buttons_) b.widget->setEnabled((form_.*b.control).enabled);
    for (const ViewBinding& v : views_) {
        const ImageView& view = form_.*v.control;
        v.widget->showBitmap(view.picture);
        v.widget->setVisible(view.visible);
    }
    lbIP1_->setText(text(form_.lbIP1.caption));
    lbIP2_->setText(text(form_.lbIP2.caption));
    mirrorMemo();
    showFraming();
    if (zoom_ && zoom_->isVisible()) zoom_->showContent(zoomContent());
}

void MainWindow::showFraming()
{
    if (form_.srcBitmap.empty())
        image1_->showFrame(std::nullopt);
    else
        image1_->showFrame(QRectF(form_.cropX, form_.cropY, form_.cropWidth, form_.cropHeight));
}

bool MainWindow::savePreview(const std::string& name)
{
    const int factor = zoom_ && zoom_->isVisible() ? zoom_->factor() : 1;
    const Status saved = writePng(enlarged(toQImage(form_.imTo.picture), factor), name);
    if (!saved) {
        form_.addMemoLine("cannot write " + name + ": " + saved.error());
        refreshFromCore();
    }
    return saved.ok();
}

ZoomWindow* MainWindow::openZoom()
{
    if (!zoom_) zoom_ = new ZoomWindow(this);
    zoom_->show();
    zoom_->raise();
    zoom_->showContent(zoomContent());
    return zoom_;
}

ZoomContent MainWindow::zoomContent() const
{
    ZoomContent content{form_.imTo.picture, form_.imFrom.picture, std::nullopt};
    if (pair_ == PairDrawing::none) return content;
    const PaletteView pal{form_.palB, form_.palG, form_.palR};
    const auto draw = pair_ == PairDrawing::standard ? drawStandardScreen : drawMulticolorScreen;
    content.frames.emplace();
    draw(form_.scr1, pal, (*content.frames)[0]);
    draw(form_.scr2, pal, (*content.frames)[1]);
    return content;
}

// Lines are only ever appended to the memo, so only new ones are added;
// the memo then scrolls to its last line.
void MainWindow::mirrorMemo()
{
    const std::vector<std::string>& lines = form_.Memo1.lines;
    if (lines.size() < memoLinesShown_) {
        memo_->clear();
        memoLinesShown_ = 0;
    }
    if (memoLinesShown_ == lines.size()) return;
    for (; memoLinesShown_ < lines.size(); ++memoLinesShown_) {
        if (memoLinesShown_ == 0)
            memo_->setPlainText(text(lines[0]));
        else
            memo_->appendPlainText(text(lines[memoLinesShown_]));
    }
    memo_->moveCursor(QTextCursor::End);
    memo_->ensureCursorVisible();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    // Only ever a copy: a move would have the source delete the user's file.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    openFile(urls.first().toLocalFile());
}

}  // namespace dw::ui
