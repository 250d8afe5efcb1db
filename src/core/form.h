#pragma once
// TForm1: the whole state of the converter and every handler of its window.
// It is made of the parts the converters work on (picture, screens, palette,
// tables, scratch) plus the controls and the window's own state. All working
// storage is allocated once, when the object is made; handlers run
// synchronously and leave their results in these members.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/bitmap.h"
#include "base/plane.h"
#include "core/controls.h"
#include "core/platform.h"
#include "modes/conversion.h"

namespace dw {

// One file a run tried to write, for callers that report them (the CLI).
struct WrittenFile {
    std::string name;
    size_t bytes = 0;
    Status written;
};

class TForm1;
struct LiveInput;
struct LiveResult;
struct Mode;

// What a caller without a window sets before a run, all at once: the files
// the dialogs would answer with, the edit texts and boxes it changes, and the
// framing rectangle as the two clicks in the full view would set it.
struct FormSettings {
    struct Corners {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    std::string picture;
    std::optional<std::string> palette;
    std::vector<std::pair<Edit TForm1::*, std::string>> texts;
    std::vector<std::pair<CheckBox TForm1::*, bool>> boxes;
    std::optional<Corners> crop;
};

class TForm1 : public PictureState, public ScreenState, public Palette, public Tables, public Scratch {
public:
    // Files go to `output`; without one they are written under their names.
    TForm1(FileDialogs& dialogs, Clock& clock, Output& output);
    TForm1(FileDialogs& dialogs, Clock& clock);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // ---- Start-up and settings -------------------------------------------
    void FormCreate();
    void edDithLevelChange();

    // ---- Picture opening, framing, preparation, palette -------------------
    void edBrightnessChange();  // the picture preparation
    void btOpenClick();
    void Button2Click();
    void edWidthChange();
    void edHeightChange();
    void edXminChange();
    void Image1MouseDown(MouseButton button, int x, int y);
    void Image1MouseMove(int x, int y);
    void Button1Click();

    // ---- Conversion runs --------------------------------------------------
    void btConv6912Click();
    void btConvGigaClick();
    void btConvMCClick();
    void btConvMCXClick();
    void btConv8colClick();
    void btConvRModeClick();
    void btConvR48ModeClick();

    // ---- Screen files and retouching --------------------------------------
    void ImLoadClick();
    // What a click on "Select File" or "load" does once the dialog has
    // answered with `name`.
    void openPictureFile(const std::string& name);
    void loadScreenFile(const std::string& name);
    // The screen file the last load read, which the screen view shows; every
    // run clears it.
    std::string loadedScreen;
    // A file dropped on the window: a screen file the loader reads is loaded,
    // a picture opened; anything else is refused with a memo line.
    void dropFile(const std::string& name);
    // Whether dropFile opens `name` as a picture.
    static bool dropOpensPicture(const std::string& name);
    // A decode of the picture `name` made beforehand (the window makes it off
    // its thread): the next preparation that would decode `name` takes it
    // instead of reading the file, and lets it go whether taken or not.
    void holdDecodedPicture(std::string name, Result<Bitmap> picture);
    void imToMouseDown(MouseButton button, int x, int y);
    void imToMouseMove(HeldButtons held, int x, int y);
    void drawchr(MouseButton mode, int x, int y);
    void btSaveDrawClick();

    // ---- Control access as the window does it ----------------------------
    // Sets an edit's text; its change handler runs only when the text changes.
    void setText(Edit& edit, const std::string& text);
    // Toggles a check box and runs its click handler.
    void click(CheckBox& box);
    // Clicks the box only when its state differs from `checked`.
    void setChecked(CheckBox& box, bool checked);
    // Starts up and leaves the form as a user setting `settings` in the
    // window would (boxes, edits, "Select File", framing clicks, "Pal"),
    // without the change handlers' preparations: the picture is decoded and
    // framed here and sampled once, by the next preparation (a run's own).
    void takeSettings(const FormSettings& settings);

    // ---- Parts of the conversion run frame shared by the seven runs --------
    void beginRun(bool retouch, bool giga);  // preparation, save button, flags
    void startTimer();
    void copyWorkToOrig();
    void addTimeLine();                        // elapsed seconds + " sec" to the memo
    void showScreenPreview();                  // imTo gets a copy of zxBitmap
    // Hands a file to the output, a relative name taken in the working
    // folder; a failure adds a memo line "cannot write NAME: REASON".
    void writeOutput(const std::string& name, const std::vector<uint8_t>& bytes, FileRole role = FileRole::main);
    // `name` in the working folder, unless it names its own folder.
    std::string inWorkFolder(const std::string& name) const;
    void addMemoLine(const std::string& line);
    // True, with a memo line "nothing written: REASON" and `refusal` set, when
    // the run's file could only hold a wrong or blank picture: a table it
    // needs was not read, the last picture could not be decoded, or no
    // picture is open and `outputName` would replace an existing file.
    bool refuseRun(std::initializer_list<const char*> tablesNeeded, const std::string& outputName);

    // ---- Live conversion (core/live_run.h) ----------------------------------
    // The preparation a run of `mode` starts with, then a copy of all its
    // converter reads; none when a table the mode may read is missing or the
    // picture could not be read.
    std::unique_ptr<LiveInput> liveInput(const Mode& mode);
    // The previews and screens of a live result, shown as its run shows them;
    // the brush, which retouches a run's screens, goes off until the next run.
    void showLiveResult(const LiveResult& result);

    // ---- Controls ---------------------------------------------------------
    Edit edBrightness, edColor, edContrast, edDithLevel, edPrior, edkcolerr;
    Edit edXmin, edWidth, edYmin, edHeight, edRadius;
    UpDown udRadius;
    CheckBox cbBrightOnly, cbDith, cbChunk5, cbLimitMC, cbEvenMC, cbBrightGrey, cbRModeNoise;
    CheckBox cbMCFilter, cbProjecting, cbEcoImg, cbCHRS, cbFix;
    Button btOpen, Button2, Button1, btConvRMode, btConvR48Mode, btConvMC, btConvMCX;
    Button btConv6912, btConvGiga, btConv8col, btLoadZX, btSaveDraw;
    Label lbIP1, lbIP2;
    Memo Memo1;
    ImageView imFrom, imTo, imToTmp, ImToTmpGrey, ImToTmpGrey2, Image1;

    // ---- The parts a conversion works on ---------------------------------
    PictureState& picture() { return *this; }
    ScreenState& screen() { return *this; }
    Palette& palette() { return *this; }
    Tables& tables() { return *this; }
    Scratch& scratch() { return *this; }
    // The controls a converter reads, as they stand.
    ModeSettings modeSettings() const;
    // The converter's view of this form's parts under the given settings.
    Conversion conversion(const ModeSettings& settings) { return {*this, settings, *this, *this, *this, *this}; }

    // ---- Source and prepared pictures -----------------------------------
    // The full-size view shows the source picture itself, so a large picture
    // is held once.
    Bitmap& srcBitmap = Image1.picture;
    Bitmap normBitmap;

    // ---- Settings ---------------------------------------------------------
    double brightness = 0, contrast = 0, saturation = 0, mcLevel = 0, dithLevel = 0, kcolerr = 0;
    double cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;

    // ---- Flags and small values -------------------------------------------
    bool retouchOn = false, gigaShown = false, dithOn = false, projectOn = false;
    bool brightOnly = false, cropLock = false;
    uint8_t dithLo = 0, dithHi = 0, chunkMask = 7;

    // ---- The packed .emg strips -------------------------------------------
    std::array<uint8_t, 7680> emgBuf{};

    // ---- Where start-up looks for a table file missing from the current working
    // directory, in order: beside the executable, then the installed data.
    std::vector<std::string> tableFolders;
    std::vector<std::string> unreadTables;  // missing or short at start-up

    // ---- Names ------------------------------------------------------------
    std::string picName, loadedName, outBase, palName, timeText;
    // The folder of the last chosen file (at first the process's): relative
    // names ("noname", "layer1.bmp", the tables) are taken in it.
    std::string workFolder;

    // ---- Reporting for non-window callers ---------------------------------
    std::string pictureError;               // last decode failure, empty if none
    std::string refusal;                    // why the last run wrote nothing, empty if it ran
    std::vector<WrittenFile> writtenFiles;  // every file the runs tried to write

private:
    void readStartupTable(const std::string& fileName, std::span<uint8_t> table);

    // Takes `fileName`'s folder as the working folder when it has one.
    void enterFolderOf(const std::string& fileName);
    // Decodes `picName` unless it was the last picture decoded; false when it
    // could not be. The framing edits then take the whole picture through
    // their handlers with the preparation held, so the caller samples once.
    bool decodeChosenPicture();
    // The preparation that start-up, opening and the framing handlers end
    // with; skipped while takeSettings or a decode holds it.
    void prepareUnlessHeld();

    FileOutput fileOutput_;
    FileDialogs& dialogs_;
    Clock& clock_;
    Output& output_;
    double runStart_ = 0;
    bool preparationHeld_ = false;
    std::optional<std::pair<std::string, Result<Bitmap>>> decodedAhead_;
};

// Names are held to at most 255 bytes; longer ones are cut.
std::string cutName(const std::string& name);

}  // namespace dw
