#pragma once
// The main window: a thin view over TForm1. Every widget event runs the core
// handler of the control with the same name, then refreshFromCore() mirrors
// the core's values (texts, check states, enabled flags, memo lines, labels,
// view bitmaps and visibility) back into the widgets.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/result.h"
#include "core/form.h"
#include "export/screen_exports.h"
#include "ui/picture_decoder.h"
#include "ui/zoom_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace dw {
struct LiveResult;
struct Mode;
}  // namespace dw

namespace dw::ui {

class LiveRunner;
class PictureView;

// Passes the core's dialog requests on, and follows its working folder with
// the process's, as the window's dialogs do.
class DialogRouter : public FileDialogs {
public:
    explicit DialogRouter(FileDialogs& dialogs) : dialogs_(dialogs) {}
    // The next picture dialog gives `chosen` (a name, or nothing as when
    // cancelled) without showing: the window asks the dialog before the
    // picture is decoded, the core's handler after.
    void answerNextPicture(std::optional<std::string> chosen) { nextPicture_ = std::move(chosen); }
    std::optional<std::string> choosePicture(const std::string& initialDir) override;
    std::optional<std::string> chooseScreen(const std::string& initialDir) override;
    std::optional<std::string> choosePalette(const std::string& initialDir) override;
    // The window works in the folder of the last chosen file.
    void enterFolder(const std::string& folder) override;
    // Whether a dialog is open; a handler of the core that asked it is halfway.
    bool asking() const { return asking_ > 0; }

private:
    std::optional<std::string> ask(std::optional<std::string> (FileDialogs::*choose)(const std::string&),
                                   const std::string& initialDir);

    FileDialogs& dialogs_;
    int asking_ = 0;
    std::optional<std::optional<std::string>> nextPicture_;
};

class MainWindow : public QWidget {
public:
    // Builds the widgets and starts the converter up (tables are read from
    // the current working directory, as FormCreate does).
    MainWindow(FileDialogs& dialogs, Clock& clock, QWidget* parent = nullptr);
    ~MainWindow() override;

    TForm1& form() { return form_; }
    // Opens `fileName` as a file dropped on the window (a picture, or a
    // screen file as "load" reads it). A picture opens once it is decoded.
    void openFile(const QString& fileName);
    // Whether a picture is being decoded to open.
    bool decoding() const { return decoder_.busy(); }
    void refreshFromCore();
    // "Export for a Spectrum...": writes what the screen view shows as the
    // tape, snapshot or include that the name's extension asks for; a
    // failure becomes a memo line. Returns whether the file was written.
    bool exportShownScreen(const std::string& name);
    bool canExport() const { return shown_.has_value(); }
    // The zoom window, opened by a double click on the screen view or its
    // "Zoom" menu entry; it follows every change of the views.
    ZoomWindow* openZoom();
    // "Save preview as PNG...": the screen view at the zoom window's scale
    // (1x while it is closed); a failure becomes a memo line.
    bool savePreview(const std::string& name);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct EditBinding {
        QLineEdit* widget;
        Edit TForm1::*control;
    };
    struct CheckBinding {
        QCheckBox* widget;
        CheckBox TForm1::*control;
    };
    struct ButtonBinding {
        QPushButton* widget;
        Button TForm1::*control;
    };
    struct ViewBinding {
        PictureView* widget;
        ImageView TForm1::*control;
    };

    void buildLabels();
    void buildEdits();
    void buildCheckBoxes();
    void buildButtons();
    void buildViews();
    void buildRadius();
    void buildMemo();
    void run(void (TForm1::*handler)());
    void selectFile();
    // Decodes the picture `name` off this thread, then runs `open`, whose
    // handler finds the picture decoded.
    void openAfterDecode(const std::string& name, std::function<void()> open);
    void noteShownScreen(void (TForm1::*handler)());
    void noteLoadedScreen();
    void buildExportMenu(PictureView* screenView);
    Status writeShownScreen(const std::string& name) const;
    void mirrorMemo();
    ZoomContent zoomContent() const;

    DialogRouter router_;
    TForm1 form_;
    std::vector<EditBinding> edits_;
    std::vector<CheckBinding> checkBoxes_;
    std::vector<ButtonBinding> buttons_;
    std::vector<ViewBinding> views_;
    QLabel* lbIP1_ = nullptr;
    QLabel* lbIP2_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QScrollArea* scrollBox_ = nullptr;
    size_t memoLinesShown_ = 0;
    // What the screen view shows, when a Spectrum can show it too.
    struct ShownScreen {
        Display display;
        bool loaded;  // a loaded ".mc" sits whole in scr1; a run keeps its attributes in scr2
    };
    std::optional<ShownScreen> shown_;
    // How each screen of the pair the view shows is drawn alone, if it shows one.
    enum class PairDrawing { none, standard, multicolor };
    PairDrawing pair_ = PairDrawing::none;
    ZoomWindow* zoom_ = nullptr;
    PictureView* image1_ = nullptr;
    void showFraming();
    void scrollToFraming();

    // "live" (live_conversion.cpp): while it is on, a change of a setting
    // converts again with the mode of the last run, off this thread.
    void buildLiveBox();
    void reconvertLive();
    void noteLiveEffect(void (TForm1::*handler)());
    void noteLiveDrop(const std::string& name);
    void takeLiveResult(const LiveResult& result);
    QCheckBox* liveBox_ = nullptr;
    const Mode* liveMode_ = nullptr;  // of the last "to ..." button pressed
    std::unique_ptr<LiveRunner> liveRunner_;  // goes before what its results reach
    // Last, so that it goes first and answers nothing (no open, no live run)
    // to a window being torn down.
    PictureDecoder decoder_;
};

}  // namespace dw::ui
