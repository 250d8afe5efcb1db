#include "support/test_support.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace dw::test {

ScratchDir::ScratchDir() : previous_(std::filesystem::current_path())
{
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("dw-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

Harness::Harness(bool startUp) : form(std::make_unique<TForm1>(dialogs, clock))
{
    form->tableFolders = {DW_DATA};
    if (startUp) form->FormCreate();
}

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void fillWork(TForm1& form, int blue, int green, int red)
{
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            form.workB[y][x] = blue;
            form.workG[y][x] = green;
            form.workR[y][x] = red;
        }
}

// A missing data file fails the test that wants it, by name, instead of
// handing an empty file to a reader.
std::filesystem::path testdata(const std::string& relative)
{
    std::filesystem::path path = std::filesystem::path(DW_TESTDATA) / relative;
    if (!std::filesystem::exists(path)) throw std::runtime_error("missing test data file " + path.string());
    return path;
}

std::vector<uint32_t> pixelsOf(const Bitmap& bitmap)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) pixels.push_back(bitmap.pixel(x, y));
    return pixels;
}

void forEachDamagedCopy(const std::vector<uint8_t>& sound, const std::function<void(const std::vector<uint8_t>&)>& check)
{
    for (size_t i = 0; i < sound.size(); ++i) {
        for (uint8_t value : {uint8_t(0), uint8_t(0xFF), uint8_t(sound[i] ^ 0x01), uint8_t(sound[i] + 0x80)}) {
            std::vector<uint8_t> damaged = sound;
            damaged[i] = value;
            check(damaged);
        }
        check(std::vector<uint8_t>(sound.begin(), sound.begin() + i));
    }
}

}  // namespace dw::test
