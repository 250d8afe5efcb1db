// The gigascreen conversion of a photo with the shipped records: the
// converter alone (with the plane copy the run times), by error diffusion and
// by ordered thresholds, and with "Palette centering". The photo is decoded
// once, when it is opened.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/form.h"
#include "modes/conv_giga.h"

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

// state.range(0): "Floyd"; state.range(1): "Palette centering".
void BM_ConvGigaPreparedPicture(benchmark::State& state)
{
    OpenedPhoto photo;
    dw::TForm1& form = *photo.form;
    form.cbDith.checked = state.range(0) != 0;
    form.cbMCFilter.checked = state.range(1) != 0;
    dw::Plane preparedB, preparedG, preparedR;
    preparedB.copyFrom(form.workB);
    preparedG.copyFrom(form.workG);
    preparedR.copyFrom(form.workR);
    for (auto _ : state) {
        state.PauseTiming();
        form.workB.copyFrom(preparedB);
        form.workG.copyFrom(preparedG);
        form.workR.copyFrom(preparedR);
        state.ResumeTiming();
        form.copyWorkToOrig();
        dw::convGiga(form);
        benchmark::DoNotOptimize(form.scr1.data());
        benchmark::DoNotOptimize(form.scr2.data());
    }
}
BENCHMARK(BM_ConvGigaPreparedPicture)
    ->ArgNames({"floyd", "centering"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
