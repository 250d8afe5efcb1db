#pragma once
// The subcommands of dapplewright-cli. Each registers its options on the
// application and, when chosen, drives the core as the window would.

#include <CLI/CLI.hpp>

namespace dw::cli {

void addPrepareCommand(CLI::App& app, int& exitStatus);
void addConvertCommand(CLI::App& app, int& exitStatus);
void addRenderCommand(CLI::App& app, int& exitStatus);
void addExportCommand(CLI::App& app, int& exitStatus);

}  // namespace dw::cli
