// The seven converters on one photo, in one run, so their figures compare as
// ratios. Each converter starts from the same prepared picture (restored
// outside the timing) and is timed with the plane copy its run makes; the
// standard conversion is also timed with the preparation before it. The
// photo is decoded once per benchmark, when it is opened.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/form.h"
#include "modes/conv6912.h"
#include "modes/conv_8col.h"
#include "modes/conv_giga.h"
#include "modes/conv_mc.h"
#include "modes/conv_mcx.h"
#include "modes/conv_r48.h"
#include "modes/conv_rmode.h"

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
    dw::Plane preparedB, preparedG, preparedR;

    OpenedPhoto()
    {
        form->tableFolders.insert(form->tableFolders.begin(), DW_DATA);
        form->FormCreate();
        form->btOpenClick();
        preparedB.copyFrom(form->workB);
        preparedG.copyFrom(form->workG);
        preparedR.copyFrom(form->workR);
    }
    void restorePrepared()
    {
        form->workB.copyFrom(preparedB);
        form->workG.copyFrom(preparedG);
        form->workR.copyFrom(preparedR);
    }
};

// Check boxes by state.range(i): "Floyd", "Limit MC", "Palette centering".
void applyOptions(dw::TForm1& form, const benchmark::State& state)
{
    form.cbDith.checked = state.range(0) != 0;
    form.cbLimitMC.checked = state.range(1) != 0;
    form.cbMCFilter.checked = state.range(2) != 0;
}

// The eight-colour run copies no planes; every other run does.
template <void (*Convert)(dw::TForm1&), bool copiesPlanes = true>
void BM_Convert(benchmark::State& state)
{
    OpenedPhoto photo;
    applyOptions(*photo.form, state);
    for (auto _ : state) {
        state.PauseTiming();
        photo.restorePrepared();
        state.ResumeTiming();
        if (copiesPlanes) photo.form->copyWorkToOrig();
        Convert(*photo.form);
        benchmark::DoNotOptimize(photo.form->scr1.data());
        benchmark::DoNotOptimize(photo.form->scr2.data());
    }
}

void BM_Conv6912WithPreparation(benchmark::State& state)
{
    OpenedPhoto photo;
    for (auto _ : state) {
        photo.form->edBrightnessChange();
        photo.form->copyWorkToOrig();
        dw::conv6912(*photo.form);
        benchmark::DoNotOptimize(photo.form->scr1.data());
    }
}

void defaults(benchmark::internal::Benchmark* b) { b->ArgNames({"floyd", "limit", "centering"})->Args({1, 0, 0}); }
void withOptions(benchmark::internal::Benchmark* b)
{
    defaults(b);
    b->Args({0, 0, 0})->Args({1, 1, 0})->Args({1, 0, 1});
}

BENCHMARK(BM_Convert<dw::conv6912>)->Name("conv6912")->Apply(withOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Conv6912WithPreparation)->Name("conv6912+preparation")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert<dw::convMC>)->Name("convMC")->Apply(withOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert<dw::convGiga>)->Name("convGiga")->Apply(withOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert<dw::convMCX>)->Name("convMCX")->Apply(withOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert<dw::conv8col, false>)->Name("conv8col")->Apply(defaults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert<dw::convRMode>)->Name("convRMode")->Apply(defaults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert<dw::convR48Mode>)->Name("convR48Mode")->Apply(defaults)->Unit(benchmark::kMillisecond);

}  // namespace
