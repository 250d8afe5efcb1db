#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv)
{
    CLI::App app{"Dapplewright: pictures to ZX Spectrum screens"};
    app.require_subcommand(1);
    int exitStatus = 0;
    dw::cli::addPrepareCommand(app, exitStatus);
    dw::cli::addConvertCommand(app, exitStatus);
    dw::cli::addRenderCommand(app, exitStatus);
    CLI11_PARSE(app, argc, argv);
    return exitStatus;
}
