#pragma once
// What the core needs from its surroundings: file dialogs and a clock. The
// window answers them with real dialogs, tests and the command line with
// scripted answers.

#include <optional>
#include <string>

namespace dw {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Each returns the chosen full name, or nothing when cancelled. The
    // filter is the window's filter text; initialDir the folder to open in.
    virtual std::optional<std::string> choosePicture(const std::string& initialDir) = 0;
    virtual std::optional<std::string> chooseScreen(const std::string& initialDir) = 0;
    virtual std::optional<std::string> choosePalette(const std::string& initialDir) = 0;
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

}  // namespace dw
