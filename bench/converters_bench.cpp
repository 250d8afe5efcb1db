// The seven converters on one photo, in one run, so their figures compare as
// ratios. The photo is opened and prepared once through a form; each
// converter is then called on its own parts, starting every iteration from
// the prepared picture (restored outside the timing) and timed with the
// plane copy its run makes. The standard conversion is also timed with the
// preparation before it.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/form.h"
#include "core/mode_table.h"

namespace {

class PhotoDialogs : public dw::FileDialogs {
public:
    std::optional<std::string> choosePicture(const std::string&) override
    {
        return std::string(DW_TESTDATA) + "/photos/kodim23.png";
    }
    std::optional<std::string> chooseScreen(const std::string&) override { return std::nullopt; }
    std::optional<std::string> choosePalette(const std::string&) override { return std::nullopt; }
};

struct OpenedPhoto {
    PhotoDialogs dialogs;
    dw::SteadyClock clock;
    std::unique_ptr<dw::TForm1> form = std::make_unique<dw::TForm1>(dialogs, clock);

    OpenedPhoto()
    {
        form->tableFolders.insert(form->tableFolders.begin(), DW_DATA);
        form->FormCreate();
        form->btOpenClick();
    }
};

// What a converter works on, taken from the prepared photo.
struct Parts {
    dw::PictureState prepared, picture;
    dw::Palette palette;
    dw::Tables tables;
    dw::ScreenState screen;
    dw::Scratch scratch;

    Parts()
    {
        OpenedPhoto photo;
        prepared = photo.form->picture();
        palette = photo.form->palette();
        tables = photo.form->tables();
        screen = photo.form->screen();
    }
};

// Check boxes by state.range(i): "Floyd", "Limit MC", "Palette centering".
dw::ModeSettings settingsOf(const benchmark::State& state)
{
    dw::ModeSettings settings;
    settings.floyd = state.range(0) != 0;
    settings.limitMC = state.range(1) != 0;
    settings.centering = state.range(2) != 0;
    return settings;
}

// The eight-colour run copies no planes; every other run does.
void BM_Convert(benchmark::State& state, const dw::Mode* mode)
{
    auto parts = std::make_unique<Parts>();
    const dw::ModeSettings settings = settingsOf(state);
    const dw::Conversion conversion{parts->picture, settings, parts->palette, parts->tables, parts->screen,
                                    parts->scratch};
    const bool copiesPlanes = std::string(mode->name) != "8col";
    for (auto _ : state) {
        state.PauseTiming();
        parts->picture.workB.copyFrom(parts->prepared.workB);
        parts->picture.workG.copyFrom(parts->prepared.workG);
        parts->picture.workR.copyFrom(parts->prepared.workR);
        state.ResumeTiming();
        if (copiesPlanes) {
            parts->picture.origB.copyFrom(parts->picture.workB);
            parts->picture.origG.copyFrom(parts->picture.workG);
            parts->picture.origR.copyFrom(parts->picture.workR);
        }
        mode->convert(conversion);
        benchmark::DoNotOptimize(parts->screen.scr1.data());
        benchmark::DoNotOptimize(parts->screen.scr2.data());
    }
}

void BM_Conv6912WithPreparation(benchmark::State& state)
{
    OpenedPhoto photo;
    const dw::Mode* mode = dw::modeNamed("6912");
    for (auto _ : state) {
        photo.form->edBrightnessChange();
        photo.form->copyWorkToOrig();
        mode->convert(photo.form->conversion(photo.form->modeSettings()));
        benchmark::DoNotOptimize(photo.form->scr1.data());
    }
}

// Modes with options worth timing get four option sets, the others the defaults.
const int registered = [] {
    for (const dw::Mode& mode : dw::modeTable()) {
        const std::string name = mode.name;
        auto* b = benchmark::RegisterBenchmark(("convert " + name).c_str(), BM_Convert, &mode);
        b->ArgNames({"floyd", "limit", "centering"})->Args({1, 0, 0})->Unit(benchmark::kMillisecond);
        if (name == "6912" || name == "mc" || name == "giga" || name == "mcx")
            b->Args({0, 0, 0})->Args({1, 1, 0})->Args({1, 0, 1});
    }
    benchmark::RegisterBenchmark("convert 6912+preparation", BM_Conv6912WithPreparation)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

}  // namespace
