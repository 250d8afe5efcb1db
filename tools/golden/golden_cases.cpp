#include "golden/golden_cases.h"

#include <stdlib.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "core/form.h"
#include "core/mode_table.h"
#include "golden/sha256.h"

namespace dw {

namespace {

namespace fs = std::filesystem;

const Mode& knownMode(const std::string& name)
{
    if (const Mode* mode = modeNamed(name)) return *mode;
    throw std::invalid_argument("no mode " + name);
}

// Palette files are copied beside the picture, so choosing one keeps the
// working folder (and the R-Mode layer pictures) in the scratch folder.
using Apply = std::function<void(TForm1&, const fs::path& paletteFile)>;

struct OptionSet {
    const char* name;
    Apply apply;
    std::vector<const char*> modes;
};

Apply edits(std::vector<std::pair<Edit TForm1::*, const char*>> texts)
{
    return [texts](TForm1& f, const fs::path&) {
        for (const auto& [edit, text] : texts) f.setText(f.*edit, text);
    };
}

Apply boxes(std::vector<std::pair<CheckBox TForm1::*, bool>> states)
{
    return [states](TForm1& f, const fs::path&) {
        for (const auto& [box, checked] : states) f.setChecked(f.*box, checked);
    };
}

const std::vector<OptionSet>& optionSets()
{
    using F = TForm1;
    static const std::vector<OptionSet> table = {
        {"floyd-off", boxes({{&F::cbDith, false}}), {"6912", "giga"}},
        {"5chunks-floyd-off", boxes({{&F::cbChunk5, true}, {&F::cbDith, false}}), {"6912", "giga"}},
        {"dith-0", edits({{&F::edDithLevel, "0"}}), {"6912", "giga", "8col", "rmode", "r48"}},
        {"dith-0.3", edits({{&F::edDithLevel, "0.3"}}), {"6912", "giga", "8col", "rmode", "r48"}},
        {"dith-0.3-floyd-off", [](F& f, const fs::path& p) {
             edits({{&F::edDithLevel, "0.3"}})(f, p);
             boxes({{&F::cbDith, false}})(f, p);
         }, {"6912", "giga"}},
        {"projecting", boxes({{&F::cbProjecting, true}}), {"6912", "mc"}},
        {"centering", boxes({{&F::cbMCFilter, true}}), {"6912", "mc", "giga", "mcx"}},
        {"bright-only", boxes({{&F::cbBrightOnly, true}}), {"6912", "mc"}},
        {"limit-mc", boxes({{&F::cbLimitMC, true}}), {"mc", "mcx"}},
        {"even-mc-off", boxes({{&F::cbEvenMC, false}}), {"mc", "mcx"}},
        {"bright-grey-off", boxes({{&F::cbBrightGrey, false}}), {"mc"}},
        {"mc-level-0.5", edits({{&F::edPrior, "0.5"}}), {"mc", "mcx"}},
        {"rmode-noise-off", boxes({{&F::cbRModeNoise, false}}), {"rmode"}},
        {"kcolerr-0.5", edits({{&F::edkcolerr, "0.5"}}), {"giga", "rmode"}},
        {"kcolerr-0.5-projecting", [](F& f, const fs::path& p) {
             edits({{&F::edkcolerr, "0.5"}})(f, p);
             boxes({{&F::cbProjecting, true}})(f, p);
         }, {"6912", "mc"}},
        {"act-palette", [](F& f, const fs::path&) { f.Button2Click(); }, {"6912", "mc", "giga", "8col", "rmode", "r48"}},
        {"emg", boxes({{&F::cbEcoImg, true}}), {"giga"}},
        {"chrs", boxes({{&F::cbCHRS, true}}), {"6912", "giga"}},
        {"tone-and-framing",
         edits({{&F::edBrightness, "12"}, {&F::edContrast, "1.6"}, {&F::edColor, "0.7"},
                {&F::edXmin, "40"}, {&F::edYmin, "30"}, {&F::edWidth, "400"}}),
         {"6912", "mc", "giga", "mcx", "8col", "rmode", "r48"}},
    };
    return table;
}

const std::vector<const char*> photos = {"kodim23.png", "kodim04.png", "skimage_camera.png", "skimage_chelsea.png"};
const char* const optionPhoto = "kodim23.png";
const char* const paletteName = "16pal_v20.act";

class GoldenDialogs : public FileDialogs {
public:
    std::string picture, palette;
    std::optional<std::string> choosePicture(const std::string&) override { return picture; }
    std::optional<std::string> chooseScreen(const std::string&) override { return std::nullopt; }
    std::optional<std::string> choosePalette(const std::string&) override { return palette; }
};

class StillClock : public Clock {
public:
    double seconds() override { return 0; }
};

std::vector<uint8_t> fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder under the system's temporary folder, removed on leaving.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "dw-golden-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string previewDigest(const Bitmap& picture) { return sha256Hex(picture.rgb()); }

}  // namespace

std::vector<GoldenCase> goldenCases()
{
    std::vector<GoldenCase> cases;
    for (const char* photo : photos)
        for (const Mode& mode : modeTable()) cases.push_back({photo, mode.name, "default"});
    for (const OptionSet& set : optionSets())
        for (const char* mode : set.modes) cases.push_back({optionPhoto, mode, set.name});
    return cases;
}

std::vector<GoldenItem> runGoldenCase(const GoldenCase& goldenCase, const GoldenFolders& folders)
{
    const Mode& mode = knownMode(goldenCase.mode);
    ScratchFolder scratch;
    const fs::path picture = scratch.path() / goldenCase.photo;
    const fs::path palette = scratch.path() / paletteName;
    fs::copy_file(folders.testData / "photos" / goldenCase.photo, picture);
    fs::copy_file(folders.testData / "act" / paletteName, palette);

    GoldenDialogs dialogs;
    dialogs.picture = picture.string();
    dialogs.palette = palette.string();
    StillClock clock;
    auto form = std::make_unique<TForm1>(dialogs, clock);
    form->tableFolders = {folders.tables.string()};
    form->FormCreate();
    form->btOpenClick();
    if (goldenCase.options != "default") {
        bool found = false;
        for (const OptionSet& set : optionSets())
            if (goldenCase.options == set.name) set.apply(*form, palette), found = true;
        if (!found) throw std::invalid_argument("no option set " + goldenCase.options);
    }
    (form.get()->*mode.run)();

    std::vector<GoldenItem> items;
    for (const WrittenFile& file : form->writtenFiles) {
        if (!file.written) throw std::runtime_error("cannot write " + file.name + ": " + file.written.error());
        items.push_back({"file " + fs::path(file.name).filename().string(), sha256Hex(fileBytes(file.name))});
    }
    items.push_back({"preview imFrom", previewDigest(form->imFrom.picture)});
    for (const ModePreview& preview : mode.previews)
        items.push_back({std::string("preview ") + preview.view, previewDigest(((*form).*preview.picture).picture)});
    return items;
}

std::string goldenTableLine(const GoldenCase& goldenCase, const GoldenItem& item)
{
    return goldenCase.name() + "\t" + item.item + "\t" + item.sha256;
}

}  // namespace dw
