// dapplewright-cli render SCREEN -o PICTURE.png [--palette FILE.act] [--scale N]
// Loads a Spectrum screen file as the "load" button does, with the default
// or a chosen palette, and writes the drawn screen as a PNG picture.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/picture_options.h"
#include "core/form.h"
#include "core/output_file.h"
#include "readers/png_writer.h"
#include "zxfiles/screen_kind.h"

namespace dw::cli {

namespace {

struct RenderOptions {
    std::string screen;
    std::string output;
    std::string palette;
    int scale = 1;
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

int render(const RenderOptions& options)
{
    if (screenKindOf(options.screen) == ScreenKind::none)
        return fail(options.screen +
                    ": not a screen file the loader reads (extension scr, mcx, mc, img or emg, all lower or all upper case)");
    if (!readable(options.screen)) return fail("cannot read " + options.screen);
    if (!options.palette.empty() && !readable(options.palette)) return fail("cannot read " + options.palette);

    // The loader and the palette dialog enter the chosen file's folder, so
    // every name is made absolute before the core runs.
    const std::string output = std::filesystem::absolute(options.output).string();
    CliSession session;
    session.dialogs.screen = std::filesystem::absolute(options.screen).string();
    if (!options.palette.empty()) session.dialogs.palette = std::filesystem::absolute(options.palette).string();

    TForm1& form = session.form;
    form.FormCreate();
    if (session.dialogs.palette) form.Button2Click();
    form.ImLoadClick();

    const std::vector<uint8_t> png = encodePng(enlarged(form.zxBitmap, options.scale));
    if (const std::string reason = writeFileAtomically(output, png); !reason.empty())
        return fail("cannot write " + options.output + ": " + reason);
    std::cout << options.output << " " << png.size() << " bytes\n";
    return 0;
}

}  // namespace

void addRenderCommand(CLI::App& app, int& exitStatus)
{
    auto options = std::make_shared<RenderOptions>();
    CLI::App* command = app.add_subcommand("render", "Draw a Spectrum screen file (.scr, .mcx, .mc, .img, .emg) as PNG");
    command->add_option("SCREEN", options->screen, "Spectrum screen file")->required();
    command->add_option("-o,--output", options->output, "PNG picture to write")->required();
    command->add_option("--palette", options->palette, "palette file (.act) to draw with");
    command->add_option("--scale", options->scale, "nearest-neighbour enlargement, 1..16")
        ->check(CLI::Range(1, 16))
        ->capture_default_str();
    command->callback([options, &exitStatus] { exitStatus = render(*options); });
}

}  // namespace dw::cli
