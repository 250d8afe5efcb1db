#pragma once
// What the core needs from its surroundings: file dialogs, a clock and a
// place for the files the runs make. The window answers them with real
// dialogs and files, tests and the command line with their own.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/result.h"

namespace dw {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Each returns the chosen full name, or nothing when cancelled. The
    // filter is the window's filter text; initialDir the folder to open in.
    virtual std::optional<std::string> choosePicture(const std::string& initialDir) = 0;
    virtual std::optional<std::string> chooseScreen(const std::string& initialDir) = 0;
    virtual std::optional<std::string> choosePalette(const std::string& initialDir) = 0;
    // Called with the folder of every chosen file, which becomes the form's
    // working folder. The window makes it the process's working folder too;
    // everyone else leaves the process alone.
    virtual void enterFolder(const std::string&) {}
};

// Dialogs that are always cancelled.
class NoDialogs : public FileDialogs {
public:
    std::optional<std::string> choosePicture(const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseScreen(const std::string&) override { return std::nullopt; }
    std::optional<std::string> choosePalette(const std::string&) override { return std::nullopt; }
};

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds on a monotonic clock; only differences are meaningful.
    virtual double seconds() = 0;
};

class SteadyClock : public Clock {
public:
    double seconds() override;
};

// The role of a file a run makes: the screen file itself, or a file made
// beside it (the R-Mode layer pictures).
enum class FileRole { main, side };

// Where the runs hand the files they make.
class Output {
public:
    virtual ~Output() = default;
    // `name` is where the window puts the file. Fails with the reason as a
    // short sentence when the file was not stored.
    virtual Status write(const std::string& name, FileRole role, std::span<const uint8_t> bytes) = 0;
};

// Files written under their names, each through a temporary file renamed into place.
class FileOutput : public Output {
public:
    Status write(const std::string& name, FileRole role, std::span<const uint8_t> bytes) override;
};

}  // namespace dw
