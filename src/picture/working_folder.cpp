#include "picture/working_folder.h"

#include <filesystem>
#include <system_error>

namespace dw {

std::string workingFolder()
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

void enterFolderOf(const std::string& fileName)
{
    std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::current_path(folder, ignored);
}

}  // namespace dw
