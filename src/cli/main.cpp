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
    dw::cli::addExportCommand(app, exitStatus);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version requests exit 0; every usage error exits 1.
        return app.exit(error) == 0 ? 0 : 1;
    }
    return exitStatus;
}
