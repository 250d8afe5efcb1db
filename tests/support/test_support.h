#pragma once
// Helpers shared by the tests: a converter made like the window makes it,
// scripted dialogs, a fixed clock and scratch folders.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/form.h"

namespace dw::test {

class ScriptedDialogs : public FileDialogs {
public:
    std::optional<std::string> picture, screen, palette;
    std::optional<std::string> choosePicture(const std::string&) override { return picture; }
    std::optional<std::string> chooseScreen(const std::string&) override { return screen; }
    std::optional<std::string> choosePalette(const std::string&) override { return palette; }
};

class FixedClock : public Clock {
public:
    double now = 1000.0;
    double seconds() override { return now; }
};

// A fresh empty folder, removed again when the object goes; while it lives
// it is the current working directory.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// A converter with scripted dialogs and a fixed clock, started up like the
// window's (start-up runs in the current working directory, and takes the
// shipped tables from data/ when the folder holds none).
struct Harness {
    ScriptedDialogs dialogs;
    FixedClock clock;
    std::unique_ptr<TForm1> form;
    explicit Harness(bool startUp = true);
};

std::vector<uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Fills the 256x192 area of the work planes with one colour.
void fillWork(TForm1& form, int blue, int green, int red);

std::filesystem::path testdata(const std::string& relative);  // tests/data/...; throws naming a missing file

// Red + 256 green + 65536 blue of every pixel, top row first.
std::vector<uint32_t> pixelsOf(const Bitmap& bitmap);

// For every byte position i of a sound file: four copies with byte i set to
// 0, 0xFF, its value with bit 0 flipped and its value plus 0x80, then the
// file cut to its first i bytes. A reader must survive each of them.
void forEachDamagedCopy(const std::vector<uint8_t>& sound, const std::function<void(const std::vector<uint8_t>&)>& check);

}  // namespace dw::test
