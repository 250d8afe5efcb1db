#pragma once
// What the subcommands that start from a picture share: the picture argument,
// the tone, framing and palette options, and how they are put to the core the
// way a user of the window would set them.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "base/result.h"
#include "core/form.h"
#include "core/platform.h"

namespace dw::cli {

// Answers each dialog with the name given on the command line, or cancels.
// The picture comes with the settings, never through the dialog.
class CliDialogs : public FileDialogs {
public:
    std::optional<std::string> screen, palette;
    std::optional<std::string> choosePicture(const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseScreen(const std::string&) override { return screen; }
    std::optional<std::string> choosePalette(const std::string&) override { return palette; }
};

// A framing rectangle in source pixels, set as two clicks in the full view.
struct CropRect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct PictureOptions {
    std::string picture;
    // Edit texts, checked to be decimal numbers.
    std::optional<std::string> brightness, contrast, saturation;
    std::optional<CropRect> crop;
    bool noLock = false;
    std::optional<std::string> palette;
};

// Registers PICTURE and --brightness, --contrast, --saturation, --crop X,Y,W,H,
// --no-lock and --palette FILE on `command`.
void addPictureOptions(CLI::App& command, PictureOptions& options);

// A started-up converter whose dialogs answer with the command line's names.
struct CliSession {
    CliSession() = default;
    explicit CliSession(Output& output) : form(dialogs, clock, output) {}
    CliDialogs dialogs;
    SteadyClock clock;
    TForm1 form{dialogs, clock};
};

// The settings the window's user would make for `options`: the 3:4 lock
// (unless --no-lock), the picture, the tone edits, the framing clicks and the
// palette. Names are made absolute, so they mean what they meant when typed.
FormSettings pictureSettings(const PictureOptions& options);

// Starts `session` up with `settings` taken at once; the picture is decoded
// and framed, and prepared once by the next preparation. Fails saying why the
// picture cannot be used.
Status openPicture(CliSession& session, const FormSettings& settings);

}  // namespace dw::cli
