// dapplewright-cli export SCREEN... -o OUT
// Makes screen files ready for a Spectrum: OUT.tap, a tape whose loader
// shows them one after another; OUT.z80, a snapshot showing one; OUT.asm
// or OUT.h, the files' bytes for one's own program.

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/picture_options.h"
#include "cli/screen_files.h"
#include "cli/output_option.h"
#include "core/output_file.h"
#include "export/export_file.h"
#include "zxfiles/layouts.h"

namespace dw::cli {

namespace {

struct ExportOptions {
    std::vector<std::string> screens;
    std::string output;
};

int fail(const std::string& message)
{
    std::cerr << "dapplewright-cli export: " << message << "\n";
    return 1;
}

// The screen as the machine shows it, read back by the window's loader: an
// ".emg" unpacks into its two screens through the table files.
std::vector<uint8_t> shownBytes(CliSession& session, const std::string& name, Display display)
{
    session.dialogs.screen = name;
    TForm1& form = session.form;
    form.ImLoadClick();
    switch (display) {
    case Display::standard: return scrFile(form.scr1);
    case Display::gigascreen: return imgFile(form.scr1, form.scr2);
    case Display::hiColour: return {form.scr1.begin(), form.scr1.begin() + mcFileSize};
    }
    return {};
}

int exportScreens(const ExportOptions& options)
{
    const std::optional<ExportTarget> target = exportTargetOf(options.output);
    if (!target) return fail(options.output + ": not a name to export to (extension tap, z80, asm or h)");

    // The loader enters each file's folder, so names are made absolute before the first load.
    const std::string output = outputPath(options.output);
    std::vector<std::string> absoluteNames;
    std::vector<ExportScreen> screens;
    for (const std::string& name : options.screens) {
        const ScreenFileType* type = screenFileTypeOf(name);
        if (!type) return fail(name + ": not a screen file (extension " + screenFileExtensions() + ")");
        Result<std::vector<uint8_t>> file = readScreenFile(name, *type);
        if (!file) return fail(file.error());
        screens.push_back({name, std::move(*file), type->display});
        absoluteNames.push_back(std::filesystem::absolute(name).string());
    }
    if (needsDisplay(*target)) {
        auto session = std::make_unique<CliSession>();
        session->form.FormCreate();
        for (size_t i = 0; i < screens.size(); ++i)
            if (screens[i].display) screens[i].bytes = shownBytes(*session, absoluteNames[i], *screens[i].display);
    }

    const Result<std::vector<uint8_t>> exported = exportFile(*target, screens, output);
    if (!exported) return fail(exported.error());
    if (Status written = writeFileAtomically(output, *exported); !written)
        return fail("cannot write " + options.output + ": " + written.error());
    std::cout << options.output << " " << exported->size() << " bytes\n";
    return 0;
}

}  // namespace

void addExportCommand(CLI::App& app, int& exitStatus)
{
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export",
        "Make screen files ready for a Spectrum: a tape (.tap) whose loader shows them one per key press, a snapshot "
        "(.z80) showing one, or their bytes as an assembler include (.asm) or a C array (.h). A .scr needs a 48K "
        "Spectrum, an .img or .emg a 128K, an .mc a Timex TC2048; the other kinds go only into .asm and .h");
    command->add_option("SCREEN", options->screens, "Spectrum screen files")->required();
    addOutputOption(*command, options->output, "file to write: .tap, .z80, .asm or .h")->required();
    command->callback([options, &exitStatus] { exitStatus = exportScreens(*options); });
}

}  // namespace dw::cli
