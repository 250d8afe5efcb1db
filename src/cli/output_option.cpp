#include "cli/output_option.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace dw::cli {

CLI::Option* addOutputOption(CLI::App& command, std::string& output, const std::string& description)
{
    const CLI::Validator nonEmpty([](const std::string& name) { return name.empty() ? "the name is empty" : ""; },
                                  "NAME");
    return command.add_option("-o,--output", output, description + " (- for standard output)")->check(nonEmpty);
}

std::string outputPath(const std::string& typed)
{
    return typed == "-" ? "/dev/stdout" : std::filesystem::absolute(typed).string();
}

bool isStandardOutput(const std::string& path)
{
    struct stat named {}, standard {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &standard) == 0 &&
           named.st_dev == standard.st_dev && named.st_ino == standard.st_ino;
}

}  // namespace dw::cli
