// dapplewright-cli render SCREEN -o PICTURE.png [--palette FILE.act] [--scale N] [--frame 1|2]
// Loads a Spectrum screen file as the "load" button does, with the default
// or a chosen palette, and writes the drawn screen as a PNG picture. The
// kinds the loader does not read are drawn from their bytes.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/output_option.h"
#include "cli/picture_options.h"
#include "core/form.h"
#include "core/output_file.h"
#include "cli/screen_files.h"
#include "readers/png_writer.h"
#include "zxfiles/cell_drawing.h"
#include "zxfiles/file_drawing.h"

namespace dw::cli {

namespace {

struct RenderOptions {
    std::string screen;
    std::string output;
    std::string palette;
    int scale = 1;
    int frame = 0;  // 0: both screens of a pair
};

Bitmap enlarged(const Bitmap& picture, int scale)
{
    Bitmap out(picture.width() * scale, picture.height() * scale);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) out.setPixel(x, y, picture.pixel(x / scale, y / scale));
    return out;
}

bool readable(const std::string& name)
{
    std::error_code error;
    return std::filesystem::is_regular_file(name, error) && std::ifstream(name, std::ios::binary).good();
}

int fail(const std::string& message)
{
    std::cerr << "dapplewright-cli render: " << message << "\n";
    return 1;
}

// One screen of a pair drawn alone, as a single screen.
void drawFrame(TForm1& form, ScreenFileKind kind, int frame)
{
    const ScreenBuffer& screen = frame == 1 ? form.scr1 : form.scr2;
    const PaletteView pal{form.palB, form.palG, form.palR};
    if (kind == ScreenFileKind::mcx)
        drawMulticolorScreen(screen, pal, form.zxBitmap);
    else
        drawStandardScreen(screen, pal, form.zxBitmap);
}

Status drawFile(TForm1& form, ScreenFileKind kind, const std::vector<uint8_t>& file)
{
    const PaletteView pal{form.palB, form.palG, form.palR};
    if (kind == ScreenFileKind::eightColour) return drawEightColourFile(file, form.zxBitmap);
    if (kind == ScreenFileKind::rMode) return drawRModeFile(file, pal, form.zxBitmap);
    return drawR48File(file, pal, form.zxBitmap);
}

bool isPair(ScreenFileKind kind)
{
    return kind == ScreenFileKind::img || kind == ScreenFileKind::emg || kind == ScreenFileKind::mcx;
}

int render(const RenderOptions& options)
{
    const ScreenFileType* type = screenFileTypeOf(options.screen);
    if (!type) return fail(options.screen + ": not a screen file (extension " + screenFileExtensions() + ")");
    if (options.frame != 0 && !isPair(type->kind))
        return fail("--frame takes one screen of an .img, .emg or .mcx file, not of " + options.screen);
    if (!readable(options.screen)) return fail("cannot read " + options.screen);
    if (!options.palette.empty() && !readable(options.palette)) return fail("cannot read " + options.palette);
    std::vector<uint8_t> file;
    if (!type->loaded) {
        Result<std::vector<uint8_t>> read = readScreenFile(options.screen, *type);
        if (!read) return fail(read.error());
        file = std::move(*read);
    }

    // The loader and the palette dialog enter the chosen file's folder, so
    // every name is made absolute before the core runs.
    const std::string output = outputPath(options.output);
    CliSession session;
    session.dialogs.screen = std::filesystem::absolute(options.screen).string();
    if (!options.palette.empty()) session.dialogs.palette = std::filesystem::absolute(options.palette).string();

    TForm1& form = session.form;
    form.FormCreate();
    if (session.dialogs.palette) form.Button2Click();
    if (type->loaded) {
        form.ImLoadClick();
        if (options.frame != 0) drawFrame(form, type->kind, options.frame);
    } else if (Status drawn = drawFile(form, type->kind, file); !drawn) {
        return fail(options.screen + ": " + drawn.error());
    }

    const std::vector<uint8_t> png = encodePng(enlarged(form.zxBitmap, options.scale));
    if (Status written = writeFileAtomically(output, png); !written)
        return fail("cannot write " + options.output + ": " + written.error());
    (isStandardOutput(output) ? std::cerr : std::cout) << options.output << " " << png.size() << " bytes\n";
    return 0;
}

}  // namespace

void addRenderCommand(CLI::App& app, int& exitStatus)
{
    auto options = std::make_shared<RenderOptions>();
    CLI::App* command = app.add_subcommand(
        "render",
        "Draw a Spectrum screen file as PNG: .scr, .mcx, .mc, .img and .emg as the window's \"load\" shows them; "
        ".3, .rm and .r48 as their converters' screen previews show them, which the files hold in full (the "
        "R-Mode and R48-Mode model previews and the R-Mode layer pictures are not in the files)");
    command->add_option("SCREEN", options->screen, "Spectrum screen file")->required();
    addOutputOption(*command, options->output, "PNG picture to write")->required();
    command->add_option("--palette", options->palette, "palette file (.act) to draw with");
    command->add_option("--scale", options->scale, "nearest-neighbour enlargement, 1..16")
        ->check(CLI::Range(1, 16))
        ->capture_default_str();
    command->add_option("--frame", options->frame, "one screen of an .img, .emg or .mcx pair on its own, 1 or 2")
        ->check(CLI::Range(1, 2));
    command->callback([options, &exitStatus] { exitStatus = render(*options); });
}

}  // namespace dw::cli
