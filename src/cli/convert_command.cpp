// dapplewright-cli convert PICTURE... --mode MODE [-o OUT] [options]
// Converts each picture as the window would: the picture options first, then
// the conversion settings typed into their edits and ticked in their check
// boxes, then a click on the mode's "to ..." button. Files land where the
// window puts them (beside the picture) unless -o names the one output.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/picture_options.h"
#include "core/number_text.h"
#include "core/output_file.h"
#include "readers/png_writer.h"

namespace dw::cli {

namespace {

namespace fs = std::filesystem;

const char* const allModes = "6912, giga, mc, mcx, 8col, rmode, r48";

struct ModeRun {
    const char* name;
    Handler run;
};

// The modes whose runs exist.
const ModeRun modeRuns[] = {
    {"6912", &TForm1::btConv6912Click},
    {"giga", &TForm1::btConvGigaClick},
    {"mc", &TForm1::btConvMCClick},
    {"mcx", &TForm1::btConvMCXClick},
    {"8col", &TForm1::btConv8colClick},
    {"rmode", &TForm1::btConvRModeClick},
    {"r48", &TForm1::btConvR48ModeClick},
};

struct ConvertOptions {
    PictureOptions shared;
    std::vector<std::string> pictures;
    std::string mode;
    std::string output, preview, prepared;
    std::string model, layers;  // R-Mode / R48-Mode model preview; R-Mode layer pictures prefix
    std::optional<std::string> mcLevel, dithLevel, kcolerr;
    bool noFloyd = false, chunk5 = false, brightOnly = false, limitMC = false, noEvenMC = false;
    bool noBrightGrey = false, noRModeNoise = false, centering = false, projecting = false;
    bool emg = false, chrs = false;
};

// Names as they were meant when typed: the dialogs move the working folder.
std::string absoluteName(const std::string& name) { return name.empty() ? name : fs::absolute(name).string(); }

void settleNames(ConvertOptions& options)
{
    for (std::string& picture : options.pictures) picture = absoluteName(picture);
    if (options.shared.palette) options.shared.palette = absoluteName(*options.shared.palette);
    options.output = absoluteName(options.output);
    options.preview = absoluteName(options.preview);
    options.prepared = absoluteName(options.prepared);
    options.model = absoluteName(options.model);
    options.layers = absoluteName(options.layers);
}

void applyConversionSettings(TForm1& form, const ConvertOptions& options)
{
    if (options.mcLevel) form.setText(form.edPrior, *options.mcLevel);
    if (options.dithLevel) form.setText(form.edDithLevel, *options.dithLevel);
    if (options.kcolerr) form.setText(form.edkcolerr, *options.kcolerr);
    form.setChecked(form.cbDith, !options.noFloyd);
    if (options.chunk5) form.setChecked(form.cbChunk5, true);
    if (options.brightOnly) form.setChecked(form.cbBrightOnly, true);
    if (options.limitMC) form.setChecked(form.cbLimitMC, true);
    if (options.noEvenMC) form.setChecked(form.cbEvenMC, false);
    if (options.noBrightGrey) form.setChecked(form.cbBrightGrey, false);
    if (options.noRModeNoise) form.setChecked(form.cbRModeNoise, false);
    if (options.centering) form.setChecked(form.cbMCFilter, true);
    if (options.projecting) form.setChecked(form.cbProjecting, true);
    if (options.emg) form.setChecked(form.cbEcoImg, true);
    if (options.chrs) form.setChecked(form.cbCHRS, true);
}

void reportWritten(const std::string& name, size_t bytes, long long milliseconds)
{
    std::cout << name << " " << bytes << " bytes " << milliseconds << " ms\n";
}

bool reportFailure(const std::string& message)
{
    std::cerr << "dapplewright-cli convert: " << message << "\n";
    return false;
}

class Stopwatch {
public:
    long long milliseconds() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

bool writePng(const std::string& name, const Bitmap& picture)
{
    Stopwatch watch;
    const std::vector<uint8_t> png = encodePng(picture);
    if (const std::string reason = writeFileAtomically(name, png); !reason.empty())
        return reportFailure("cannot write " + name + ": " + reason);
    reportWritten(name, png.size(), watch.milliseconds());
    return true;
}

// The run wrote its main file under a scratch base beside -o; it is renamed
// onto -o, so its bytes are the run's and a failure leaves -o as it was.
bool moveToOutput(const WrittenFile& file, const std::string& output, long long milliseconds)
{
    std::error_code error;
    fs::rename(file.name, output, error);
    if (error) {
        fs::remove(file.name);
        return reportFailure("cannot write " + output + ": " + error.message());
    }
    reportWritten(output, file.bytes, milliseconds);
    return true;
}

std::string scratchBaseBeside(const std::string& output)
{
    return (fs::path(output).parent_path() / (".dw-convert-" + std::to_string(::getpid()))).string();
}

// Converts one picture; reports every file and every failure. Returns
// whether everything was written.
bool convertPicture(const ConvertOptions& options, const std::string& picture, Handler run)
{
    auto session = std::make_unique<CliSession>();
    TForm1& form = session->form;
    PictureOptions shared = options.shared;
    shared.picture = picture;
    if (std::optional<std::string> error = openPicture(*session, shared))
        return reportFailure("cannot read picture " + picture + ": " + *error);
    applyConversionSettings(form, options);

    const std::string scratchBase = options.output.empty() ? std::string() : scratchBaseBeside(options.output);
    if (!scratchBase.empty()) form.outBase = scratchBase;

    Stopwatch watch;
    (form.*run)();
    const long long milliseconds = watch.milliseconds();
    if (!form.refusal.empty()) return reportFailure("cannot convert " + picture + ": " + form.refusal);

    bool ok = true;
    for (const WrittenFile& file : form.writtenFiles) {
        const bool mainOutput = !scratchBase.empty() && file.name.starts_with(scratchBase);
        if (!file.error.empty())
            ok = reportFailure("cannot write " + (mainOutput ? options.output : file.name) + ": " + file.error);
        else if (mainOutput)
            ok = moveToOutput(file, options.output, milliseconds) && ok;
        else
            reportWritten(file.name, file.bytes, milliseconds);
    }
    if (!options.preview.empty()) ok = writePng(options.preview, form.imTo.picture) && ok;
    if (!options.prepared.empty()) ok = writePng(options.prepared, form.normBitmap) && ok;
    if (!options.model.empty()) ok = writePng(options.model, form.modelBitmap) && ok;
    if (!options.layers.empty()) {
        ok = writePng(options.layers + "1.png", form.layer1Bitmap) && ok;
        ok = writePng(options.layers + "2.png", form.layer2Bitmap) && ok;
    }
    return ok;
}

std::optional<Handler> runOf(const std::string& mode)
{
    for (const ModeRun& m : modeRuns)
        if (mode == m.name) return m.run;
    return std::nullopt;
}

bool isKnownMode(const std::string& mode)
{
    for (const char* name : {"6912", "giga", "mc", "mcx", "8col", "rmode", "r48"})
        if (mode == name) return true;
    return false;
}

int convert(ConvertOptions options)
{
    if (options.mode.empty()) {
        std::cerr << "dapplewright-cli convert: --mode is required (one of " << allModes << ")\n";
        return 2;
    }
    if (!isKnownMode(options.mode)) {
        std::cerr << "dapplewright-cli convert: unknown mode '" << options.mode << "' (one of " << allModes << ")\n";
        return 2;
    }
    const std::optional<Handler> run = runOf(options.mode);
    if (!run) {
        std::cerr << "dapplewright-cli convert: mode '" << options.mode << "' is not available in this build yet\n";
        return 2;
    }
    if (!options.model.empty() && options.mode != "rmode" && options.mode != "r48") {
        std::cerr << "dapplewright-cli convert: --model is drawn by the rmode and r48 modes only\n";
        return 2;
    }
    if (!options.layers.empty() && options.mode != "rmode") {
        std::cerr << "dapplewright-cli convert: --layers is drawn by the rmode mode only\n";
        return 2;
    }
    if (options.pictures.size() > 1 && !(options.output.empty() && options.preview.empty() &&
                                         options.prepared.empty() && options.model.empty() && options.layers.empty())) {
        std::cerr << "dapplewright-cli convert: -o, --preview, --prepared, --model and --layers take one picture only\n";
        return 1;
    }

    settleNames(options);
    const fs::path startFolder = fs::current_path();
    bool ok = true;
    for (const std::string& picture : options.pictures) {
        fs::current_path(startFolder);
        ok = convertPicture(options, picture, *run) && ok;
    }
    return ok ? 0 : 1;
}

std::string checkDecimal(const std::string& text)
{
    return parseDecimal(text) ? std::string() : "'" + text + "' is not a decimal number";
}

}  // namespace

void addConvertCommand(CLI::App& app, int& exitStatus)
{
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* command = app.add_subcommand("convert", "Convert pictures to a Spectrum screen mode");
    addPictureOptions(*command, options->shared);
    // The shared options take one picture; this command takes several.
    command->remove_option(command->get_option("PICTURE"));
    command->add_option("PICTURE", options->pictures, "Pictures to convert (.bmp, .png, .tga, .jpg, .gif)")
        ->required();
    command->add_option("--mode", options->mode, std::string("Screen mode: ") + allModes);
    command->add_option("-o,--output", options->output, "Name of the converted file (one picture only)");
    command->add_option("--mc-level", options->mcLevel, "Multicolor level, as typed into its edit (default 1.0)")->check(checkDecimal);
    command->add_option("--dith-level", options->dithLevel, "Dithering level (default 1.0)")->check(checkDecimal);
    command->add_option("--kcolerr", options->kcolerr, "Colour-error weight of the colour projection (default 0.0)")
        ->check(checkDecimal);
    command->add_flag("--no-floyd", options->noFloyd, "Clear \"Floyd\": ordered dithering instead of error diffusion");
    command->add_flag("--chunk5", options->chunk5, "Check \"5 chunks\": the 2x2 ordered matrix");
    command->add_flag("--bright-only", options->brightOnly, "Check \"Bright Only\"");
    command->add_flag("--limit-mc", options->limitMC, "Check \"Limit MC\"");
    command->add_flag("--no-even-mc", options->noEvenMC, "Clear \"Even MC\"");
    command->add_flag("--no-bright-grey", options->noBrightGrey, "Clear \"Bright grey\"");
    command->add_flag("--no-rmode-noise", options->noRModeNoise, "Clear \"R-Mode noise\"");
    command->add_flag("--centering", options->centering, "Check \"Palette centering\"");
    command->add_flag("--projecting", options->projecting, "Check \"Color projecting\"");
    command->add_flag("--emg", options->emg, "Check \"Giga as *.emg\"");
    command->add_flag("--chrs", options->chrs, "Check \"6912/Giga as *.ch$\"");
    command->add_option("--preview", options->preview, "Write the screen preview as PNG (one picture only)");
    command->add_option("--prepared", options->prepared, "Write the prepared picture as PNG (one picture only)");
    command->add_option("--model", options->model,
                        "rmode, r48: write the model preview (the picture the screen is matched to) as PNG");
    command->add_option("--layers", options->layers,
                        "rmode: write the two grey layer previews as PNG, named PREFIX1.png and PREFIX2.png")
        ->type_name("PREFIX");
    command->callback([options, &exitStatus] { exitStatus = convert(*options); });
}

}  // namespace dw::cli
