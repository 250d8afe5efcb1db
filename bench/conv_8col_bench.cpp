// The eight-colour conversion of a photo (its run copies no planes), and the
// standard screen conversion of the same photo, with the plane copy its run
// times, beside it for scale.
// The photo is decoded once, when it is opened.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/form.h"
#include "modes/conv6912.h"
#include "modes/conv_8col.h"

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

template <void (*Convert)(dw::TForm1&), bool copyPlanes>
void runPrepared(benchmark::State& state)
{
    OpenedPhoto photo;
    for (auto _ : state) {
        state.PauseTiming();
        photo.restorePrepared();
        state.ResumeTiming();
        if (copyPlanes) photo.form->copyWorkToOrig();
        Convert(*photo.form);
        benchmark::DoNotOptimize(photo.form->scr1.data());
        benchmark::DoNotOptimize(photo.form->scr2.data());
    }
}

void BM_Conv8colPreparedPicture(benchmark::State& state) { runPrepared<dw::conv8col, false>(state); }
BENCHMARK(BM_Conv8colPreparedPicture)->Unit(benchmark::kMillisecond);

void BM_Conv6912PreparedPicture(benchmark::State& state) { runPrepared<dw::conv6912, true>(state); }
BENCHMARK(BM_Conv6912PreparedPicture)->Unit(benchmark::kMillisecond);

}  // namespace
