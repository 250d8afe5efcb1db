#pragma once
// The -o option of every subcommand: a name that may not be empty, where "-"
// stands for standard output.

#include <CLI/CLI.hpp>

#include <string>

namespace dw::cli {

CLI::Option* addOutputOption(CLI::App& command, std::string& output, const std::string& description);

// The name to write to, fixed before the dialogs move the working folder:
// absolute, or /dev/stdout for "-".
std::string outputPath(const std::string& typed);

// Whether `path` is where standard output goes, so reports must go elsewhere.
bool isStandardOutput(const std::string& path);

}  // namespace dw::cli
