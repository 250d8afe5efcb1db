// The standard screen conversion of a photo: the converter alone (with the
// plane copy the run times) and with the picture preparation before it. The
// photo is decoded once, when it is opened.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/form.h"
#include "modes/conv6912.h"

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
        form->FormCreate();
        form->btOpenClick();
    }
};

void BM_Conv6912PreparedPicture(benchmark::State& state)
{
    OpenedPhoto photo;
    dw::TForm1& form = *photo.form;
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
        dw::conv6912(form);
        benchmark::DoNotOptimize(form.scr1.data());
    }
}
BENCHMARK(BM_Conv6912PreparedPicture)->Unit(benchmark::kMillisecond);

void BM_Conv6912WithPreparation(benchmark::State& state)
{
    OpenedPhoto photo;
    dw::TForm1& form = *photo.form;
    for (auto _ : state) {
        form.edBrightnessChange();
        form.copyWorkToOrig();
        dw::conv6912(form);
        benchmark::DoNotOptimize(form.scr1.data());
    }
}
BENCHMARK(BM_Conv6912WithPreparation)->Unit(benchmark::kMillisecond);

}  // namespace
