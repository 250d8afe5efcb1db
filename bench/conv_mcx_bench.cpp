// The MCX conversion of a photo with the shipped records: the converter alone
// (with the plane copy the run times), plain, with "Limit MC" and with
// "Palette centering"; the standard screen conversion of the same photo
// beside it for scale. The photo is decoded once, when it is opened.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/form.h"
#include "modes/conv6912.h"
#include "modes/conv_mcx.h"

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

template <void (*Convert)(dw::TForm1&)>
void runPrepared(benchmark::State& state, OpenedPhoto& photo)
{
    for (auto _ : state) {
        state.PauseTiming();
        photo.restorePrepared();
        state.ResumeTiming();
        photo.form->copyWorkToOrig();
        Convert(*photo.form);
        benchmark::DoNotOptimize(photo.form->scr1.data());
        benchmark::DoNotOptimize(photo.form->scr2.data());
    }
}

// state.range(0): "Limit MC"; state.range(1): "Palette centering".
void BM_ConvMCXPreparedPicture(benchmark::State& state)
{
    OpenedPhoto photo;
    photo.form->cbLimitMC.checked = state.range(0) != 0;
    photo.form->cbMCFilter.checked = state.range(1) != 0;
    runPrepared<dw::convMCX>(state, photo);
}
BENCHMARK(BM_ConvMCXPreparedPicture)
    ->ArgNames({"limit", "centering"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

void BM_Conv6912PreparedPicture(benchmark::State& state)
{
    OpenedPhoto photo;
    runPrepared<dw::conv6912>(state, photo);
}
BENCHMARK(BM_Conv6912PreparedPicture)->Unit(benchmark::kMillisecond);

}  // namespace
