#include "support/test_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
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

Harness::Harness() : form(std::make_unique<TForm1>(dialogs, clock))
{
    form->tableFolders = {DW_DATA};
    form->FormCreate();
}

Harness::Harness(Output* output, const std::string& folder)
    : form(std::make_unique<TForm1>(dialogs, clock, output ? *output : memory))
{
    form->tableFolders = {folder};
    form->FormCreate();
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

// A missing data file fails the test that wants it, by name, instead of
// handing an empty file to a reader.
std::filesystem::path testdata(const std::string& relative)
{
    std::filesystem::path path = std::filesystem::path(DW_TESTDATA) / relative;
    if (!std::filesystem::exists(path)) throw std::runtime_error("missing test data file " + path.string());
    return path;
}

namespace {

std::string quoted(const std::string& text) { return "'" + text + "'"; }

std::string takeText(const std::filesystem::path& name)
{
    const std::vector<uint8_t> bytes = readFile(name);
    std::filesystem::remove(name);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

CliRun runCli(const std::string& arguments, const std::string& program)
{
    const auto out = std::filesystem::absolute("stdout.txt"), err = std::filesystem::absolute("stderr.txt");
    const std::string command =
        quoted(program) + " " + arguments + " >" + quoted(out.string()) + " 2>" + quoted(err.string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, takeText(out), takeText(err)};
}

Result<Bitmap> decodeData(const std::string& relative) { return loadPicture(testdata(relative).string()); }

void expectSane(const Result<Bitmap>& load, const std::string& what)
{
    EXPECT_EQ(load.error().find('\n'), std::string::npos) << what;
    if (!load) {
        EXPECT_FALSE(load.error().empty()) << what;
        return;
    }
    EXPECT_FALSE(load->empty()) << what;
    EXPECT_LE(std::max(load->width(), load->height()), maxPictureSide) << what;
    EXPECT_EQ(load->rgb().size(), size_t(load->width()) * load->height() * 3) << what;
}

void expectDamagedCopiesSane(const std::string& relative, Result<Bitmap> (*decode)(std::span<const uint8_t>), size_t step)
{
    const std::vector<uint8_t> sound = readFile(testdata(relative));
    ASSERT_FALSE(sound.empty()) << relative;
    for (size_t i = 0; i < sound.size(); i += step) {
        for (uint8_t value : {uint8_t(0), uint8_t(0xFF), uint8_t(sound[i] ^ 0x01), uint8_t(sound[i] + 0x80)}) {
            std::vector<uint8_t> damaged = sound;
            damaged[i] = value;
            expectSane(decode(damaged), relative + " byte " + std::to_string(i) + " = " + std::to_string(value));
        }
        expectSane(decode(std::span(sound.data(), i)), relative + " cut to " + std::to_string(i) + " bytes");
    }
}

}  // namespace dw::test
