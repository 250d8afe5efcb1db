#pragma once
// Helpers shared by the tests: a converter made like the window makes it,
// scripted dialogs, a fixed clock and scratch folders; it brings GoogleTest
// and the standard headers every test uses.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/form.h"
#include "readers/picture_loader.h"

namespace dw::test {

class ScriptedDialogs : public FileDialogs {
public:
    std::optional<std::string> picture, screen, palette;
    std::function<void()> whileOpen;  // runs inside every dialog, as a user's wait would
    std::optional<std::string> choosePicture(const std::string&) override { return answer(picture); }
    std::optional<std::string> chooseScreen(const std::string&) override { return answer(screen); }
    std::optional<std::string> choosePalette(const std::string&) override { return answer(palette); }

private:
    std::optional<std::string> answer(const std::optional<std::string>& chosen)
    {
        if (whileOpen) whileOpen();
        return chosen;
    }
};

// Each reading of the clock is `step` seconds after the one before.
class FixedClock : public Clock {
public:
    double now = 1000.0, step = 0.0;
    double seconds() override { return std::exchange(now, now + step); }
};

// An output keeping every file in memory, by the name the window would write.
class MemoryOutput : public Output {
public:
    std::map<std::string, std::vector<uint8_t>> files;
    Status write(const std::string& name, FileRole, std::span<const uint8_t> bytes) override
    {
        files[name].assign(bytes.begin(), bytes.end());
        return {};
    }
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
// shipped tables from data/ when the folder holds none). It writes its files
// to disk, or hands them to `output` (to `memory` when that is null) and
// falls back on the tables of `folder`.
struct Harness {
    ScriptedDialogs dialogs;
    FixedClock clock;
    MemoryOutput memory;
    std::unique_ptr<TForm1> form;
    Harness();
    explicit Harness(Output* output, const std::string& folder = DW_DATA);
    const std::vector<std::string>& memo() const { return form->Memo1.lines; }
};

std::vector<uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

std::filesystem::path testdata(const std::string& relative);  // tests/data/...; throws naming a missing file

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Runs the program (dapplewright-cli unless named) in the current folder with
// the arguments as typed.
CliRun runCli(const std::string& arguments, const std::string& program = DW_CLI);

// Decodes tests/data/RELATIVE by its name, as the window opens a picture.
Result<Bitmap> decodeData(const std::string& relative);

// What any input must give: a whole picture within the limits, or one
// sentence and no picture.
void expectSane(const Result<Bitmap>& load, const std::string& what);

// For every `step`-th byte of a sound file: copies with it set to 0, 0xFF,
// its value with bit 0 flipped and plus 0x80, and the file cut before it;
// each must decode sanely.
void expectDamagedCopiesSane(const std::string& relative, Result<Bitmap> (*decode)(std::span<const uint8_t>),
                             size_t step = 1);

}  // namespace dw::test
