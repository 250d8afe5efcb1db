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

std::string enterableFolderOf(const std::string& fileName)
{
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) return {};
    return folder.string();
}

}  // namespace dw
