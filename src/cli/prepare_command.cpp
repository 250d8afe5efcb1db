// dapplewright-cli prepare PICTURE -o PREPARED.png [picture options]
// Opens and frames the picture as the window does and writes the prepared
// 256x192 picture, the starting point of every conversion, as PNG.

#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/output_option.h"
#include "cli/picture_options.h"
#include "core/output_file.h"
#include "readers/png_writer.h"

namespace dw::cli {

namespace {

struct PrepareOptions {
    PictureOptions picture;
    std::string output;
};

int prepare(const PrepareOptions& options)
{
    const std::string output = outputPath(options.output);
    auto session = std::make_unique<CliSession>();
    if (Status opened = openPicture(*session, pictureSettings(options.picture)); !opened) {
        std::cerr << "cannot read picture " << options.picture.picture << ": " << opened.error() << "\n";
        return 1;
    }
    session->form.edBrightnessChange();
    const std::vector<uint8_t> png = encodePng(session->form.normBitmap);
    if (Status written = writeFileAtomically(output, png); !written) {
        std::cerr << "cannot write " << output << ": " << written.error() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

void addPrepareCommand(CLI::App& app, int& exitStatus)
{
    auto options = std::make_shared<PrepareOptions>();
    CLI::App* command = app.add_subcommand("prepare", "Write the prepared 256x192 picture as PNG");
    addPictureOptions(*command, options->picture);
    addOutputOption(*command, options->output, "PNG file to write")->required();
    command->callback([options, &exitStatus] { exitStatus = prepare(*options); });
}

}  // namespace dw::cli
