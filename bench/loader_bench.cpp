// The "load" button end to end: reading a screen file and drawing it into the
// preview, for a single standard screen, a standard pair and an MCX pair.
// The files are made once in a temporary folder with varied bytes.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include <unistd.h>

#include "core/form.h"

namespace {

class ScreenDialogs : public dw::FileDialogs {
public:
    std::string screen;
    std::optional<std::string> choosePicture(const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseScreen(const std::string&) override { return screen; }
    std::optional<std::string> choosePalette(const std::string&) override { return std::nullopt; }
};

// A temporary folder holding one screen file of each benchmarked kind.
class ScreenFiles {
public:
    ScreenFiles() : folder_(std::filesystem::temp_directory_path() / ("dw-loader-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(folder_);
        write("screen.scr", 6912);
        write("pair.img", 13824);
        write("pair.mcx", 24576);
    }
    ~ScreenFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

private:
    void write(const std::string& name, size_t size)
    {
        std::mt19937 random(static_cast<unsigned>(size));
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0x7F);  // no flash bits, as converters write
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    std::filesystem::path folder_;
};

void loadAndDraw(benchmark::State& state, const std::string& name)
{
    static const ScreenFiles files;
    ScreenDialogs dialogs;
    dialogs.screen = files.path(name);
    dw::SteadyClock clock;
    auto form = std::make_unique<dw::TForm1>(dialogs, clock);
    form->FormCreate();
    for (auto _ : state) {
        form->ImLoadClick();
        benchmark::DoNotOptimize(form->imTo.picture.rgb().data());
    }
}

void BM_LoadScr(benchmark::State& state) { loadAndDraw(state, "screen.scr"); }
void BM_LoadImg(benchmark::State& state) { loadAndDraw(state, "pair.img"); }
void BM_LoadMcx(benchmark::State& state) { loadAndDraw(state, "pair.mcx"); }

BENCHMARK(BM_LoadScr)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadImg)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadMcx)->Unit(benchmark::kMicrosecond);

}  // namespace
