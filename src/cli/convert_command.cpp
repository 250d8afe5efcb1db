// dapplewright-cli convert PICTURE... --mode MODE [-o OUT] [options]
// Converts each picture as the window would: the picture options first, then
// the conversion settings typed into their edits and ticked in their check
// boxes, then a click on the mode's "to ..." button. Files land where the
// window puts them (beside the picture) unless -o names the screen file; then
// the files made beside it take its name, "OUT-layer1.bmp" for "OUT.rm".
// Pictures are converted side by side on -j threads, each by a form of its
// own; their report lines come out in the order of the command line.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/in_order_printer.h"
#include "cli/output_option.h"
#include "cli/parallel_jobs.h"
#include "cli/picture_options.h"
#include "cli/progress_line.h"
#include "core/mode_table.h"
#include "core/number_text.h"
#include "core/output_file.h"
#include "readers/png_writer.h"

namespace dw::cli {

namespace {

namespace fs = std::filesystem;

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
    unsigned jobs = std::max(std::thread::hardware_concurrency(), 1u);
    bool quiet = false;
};

// Names as they were meant when typed, whatever folder the form works in.
std::string absoluteName(const std::string& name) { return name.empty() ? name : fs::absolute(name).string(); }

void settleNames(ConvertOptions& options)
{
    for (std::string& picture : options.pictures) picture = absoluteName(picture);
    if (options.shared.palette) options.shared.palette = absoluteName(*options.shared.palette);
    if (!options.output.empty()) options.output = outputPath(options.output);
    options.preview = absoluteName(options.preview);
    options.prepared = absoluteName(options.prepared);
    options.model = absoluteName(options.model);
    options.layers = absoluteName(options.layers);
}

void addConversionSettings(FormSettings& settings, const ConvertOptions& options)
{
    if (options.mcLevel) settings.texts.emplace_back(&TForm1::edPrior, *options.mcLevel);
    if (options.dithLevel) settings.texts.emplace_back(&TForm1::edDithLevel, *options.dithLevel);
    if (options.kcolerr) settings.texts.emplace_back(&TForm1::edkcolerr, *options.kcolerr);
    settings.boxes.emplace_back(&TForm1::cbDith, !options.noFloyd);
    if (options.chunk5) settings.boxes.emplace_back(&TForm1::cbChunk5, true);
    if (options.brightOnly) settings.boxes.emplace_back(&TForm1::cbBrightOnly, true);
    if (options.limitMC) settings.boxes.emplace_back(&TForm1::cbLimitMC, true);
    if (options.noEvenMC) settings.boxes.emplace_back(&TForm1::cbEvenMC, false);
    if (options.noBrightGrey) settings.boxes.emplace_back(&TForm1::cbBrightGrey, false);
    if (options.noRModeNoise) settings.boxes.emplace_back(&TForm1::cbRModeNoise, false);
    if (options.centering) settings.boxes.emplace_back(&TForm1::cbMCFilter, true);
    if (options.projecting) settings.boxes.emplace_back(&TForm1::cbProjecting, true);
    if (options.emg) settings.boxes.emplace_back(&TForm1::cbEcoImg, true);
    if (options.chrs) settings.boxes.emplace_back(&TForm1::cbCHRS, true);
}

// Collects one picture's lines: each file written (on standard error when
// the output itself goes to standard output) and each failure.
class Reporter {
public:
    explicit Reporter(bool writtenToStandardError) : writtenToStandardError_(writtenToStandardError) {}

    void written(const std::string& name, size_t bytes, long long milliseconds)
    {
        (writtenToStandardError_ ? report_.err : report_.out) +=
            name + " " + std::to_string(bytes) + " bytes " + std::to_string(milliseconds) + " ms\n";
    }
    bool failure(const std::string& message)
    {
        report_.err += "dapplewright-cli convert: " + message + "\n";
        return false;
    }
    PictureReport take() { return std::move(report_); }

private:
    bool writtenToStandardError_;
    PictureReport report_;
};

class Stopwatch {
public:
    long long milliseconds() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

bool writePng(const std::string& name, const Bitmap& picture, Reporter& reporter)
{
    Stopwatch watch;
    const std::vector<uint8_t> png = encodePng(picture);
    if (Status written = writeFileAtomically(name, png); !written)
        return reporter.failure("cannot write " + name + ": " + written.error());
    reporter.written(name, png.size(), watch.milliseconds());
    return true;
}

// The run's files where the user said: the screen file at -o, the files
// made beside it under -o's name; without -o where the window puts them.
class CliOutput : public Output {
public:
    CliOutput(std::string output, Reporter& reporter) : output_(std::move(output)), reporter_(reporter) {}

    Status write(const std::string& name, FileRole role, std::span<const uint8_t> bytes) override
    {
        const std::string target = targetOf(name, role);
        Status written = writeFileAtomically(target, bytes);
        if (written)
            reporter_.written(target, bytes.size(), watch_.milliseconds());
        else
            ok_ = reporter_.failure("cannot write " + target + ": " + written.error());
        return written;
    }
    bool ok() const { return ok_; }

private:
    std::string targetOf(const std::string& name, FileRole role) const
    {
        if (output_.empty()) return name;
        if (role == FileRole::main) return output_;
        if (isStandardOutput(output_)) return name;  // nothing is beside standard output
        const fs::path out(output_);
        return (out.parent_path() / (out.stem().string() + "-" + fs::path(name).filename().string())).string();
    }

    std::string output_;
    Reporter& reporter_;
    Stopwatch watch_;
    bool ok_ = true;
};

// Converts one picture; reports every file and every failure. Returns
// whether everything was written.
bool convertPicture(const ConvertOptions& options, const std::string& picture, Handler run, Reporter& reporter)
{
    CliOutput output(options.output, reporter);
    auto session = std::make_unique<CliSession>(output);
    TForm1& form = session->form;
    PictureOptions shared = options.shared;
    shared.picture = picture;
    FormSettings settings = pictureSettings(shared);
    addConversionSettings(settings, options);
    if (Status opened = openPicture(*session, settings); !opened)
        return reporter.failure("cannot read picture " + picture + ": " + opened.error());
    (form.*run)();
    if (!form.refusal.empty()) return reporter.failure("cannot convert " + picture + ": " + form.refusal);

    bool ok = output.ok();
    if (!options.preview.empty()) ok = writePng(options.preview, form.imTo.picture, reporter) && ok;
    if (!options.prepared.empty()) ok = writePng(options.prepared, form.normBitmap, reporter) && ok;
    if (!options.model.empty()) ok = writePng(options.model, form.modelBitmap, reporter) && ok;
    if (!options.layers.empty()) {
        ok = writePng(options.layers + "1.png", form.layer1Bitmap, reporter) && ok;
        ok = writePng(options.layers + "2.png", form.layer2Bitmap, reporter) && ok;
    }
    return ok;
}

// The names of the modes whose run draws the view, as "a and b".
std::string modesDrawing(const char* view)
{
    std::vector<std::string> names;
    for (const Mode& mode : modeTable())
        for (const ModePreview& preview : mode.previews)
            if (std::string(preview.view) == view) names.push_back(mode.name);
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text + (names.size() == 1 ? " mode" : " modes");
}

bool draws(const Mode& mode, const char* view)
{
    for (const ModePreview& preview : mode.previews)
        if (std::string(preview.view) == view) return true;
    return false;
}

int convert(ConvertOptions options)
{
    if (options.mode.empty()) {
        std::cerr << "dapplewright-cli convert: --mode is required (one of " << modeNames() << ")\n";
        return 2;
    }
    const Mode* mode = modeNamed(options.mode);
    if (!mode) {
        std::cerr << "dapplewright-cli convert: unknown mode '" << options.mode << "' (one of " << modeNames() << ")\n";
        return 2;
    }
    if (!options.model.empty() && !draws(*mode, "imToTmp")) {
        std::cerr << "dapplewright-cli convert: --model is drawn by the " << modesDrawing("imToTmp") << " only\n";
        return 2;
    }
    if (!options.layers.empty() && !draws(*mode, "ImToTmpGrey")) {
        std::cerr << "dapplewright-cli convert: --layers is drawn by the " << modesDrawing("ImToTmpGrey") << " only\n";
        return 2;
    }
    if (options.pictures.size() > 1 && !(options.output.empty() && options.preview.empty() &&
                                         options.prepared.empty() && options.model.empty() && options.layers.empty())) {
        std::cerr << "dapplewright-cli convert: -o, --preview, --prepared, --model and --layers take one picture only\n";
        return 1;
    }

    settleNames(options);
    const bool writtenToStandardError = isStandardOutput(options.output);
    ProgressLine progress(options.pictures.size(), !options.quiet && ::isatty(STDERR_FILENO) == 1);
    InOrderPrinter printer(options.pictures.size(), progress);
    std::atomic<bool> ok = true;
    runJobs(options.pictures.size(), options.jobs, [&](size_t index) {
        Reporter reporter(writtenToStandardError);
        if (!convertPicture(options, options.pictures[index], mode->run, reporter)) ok = false;
        printer.finished(index, reporter.take());
    });
    progress.finish();
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
    command->add_option("--mode", options->mode, "Screen mode: " + modeNames());
    addOutputOption(*command, options->output,
                    "Name of the converted file (one picture only); files made beside it are named "
                    "after it, OUT-layer1.bmp for OUT.rm");
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
    command
        ->add_option("-j,--jobs", options->jobs,
                     "Pictures converted at once, each on a thread of its own (default: one per core)")
        ->check(CLI::PositiveNumber);
    command->add_flag("--quiet", options->quiet, "No progress line on a terminal");
    command->callback([options, &exitStatus] { exitStatus = convert(*options); });
}

}  // namespace dw::cli
