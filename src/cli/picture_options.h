#pragma once
// What the subcommands that start from a picture share: the picture argument,
// the tone, framing and palette options, and how they are put to the core the
// way a user of the window would set them.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "core/form.h"
#include "core/platform.h"

namespace dw::cli {

// Answers each dialog with the name given on the command line, or cancels.
class CliDialogs : public FileDialogs {
public:
    std::optional<std::string> picture, screen, palette;
    std::optional<std::string> choosePicture(const std::string&) override { return picture; }
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

// Starts `session` up and opens the picture as the window's user would:
// the 3:4 lock (unless --no-lock), the picture dialog, the tone edits, the
// framing clicks and the palette dialog. Names are made absolute first, so
// they mean what they meant when typed. Returns the reason the picture
// cannot be used, or nothing when it was prepared.
std::optional<std::string> openPicture(CliSession& session, const PictureOptions& options);

}  // namespace dw::cli
