#include "core/table_files.h"

#include <filesystem>
#include <algorithm>

#include "base/file_prefix.h"

namespace dw {

namespace fs = std::filesystem;

std::vector<std::string> defaultTableFolders()
{
    std::vector<std::string> folders;
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        folders.push_back(exe.parent_path().string());
        folders.push_back((exe.parent_path().parent_path() / "share" / "dapplewright").string());
    }
    folders.push_back(DW_INSTALL_DATA);
    return folders;
}

namespace {

fs::path locate(const std::string& fileName, const std::vector<std::string>& folders)
{
    std::error_code error;
    for (const std::string& folder : folders) {
        fs::path candidate = fs::path(folder) / fileName;
        if (fs::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

}  // namespace

Status readTable(const std::string& fileName, const std::vector<std::string>& folders, std::span<uint8_t> out)
{
    const fs::path path = locate(fileName, folders);
    if (path.empty()) return Failure{"not found"};
    const Result<std::vector<uint8_t>> bytes = readFilePrefix(path, out.size());
    if (!bytes) return Failure{bytes.error()};
    std::copy(bytes->begin(), bytes->end(), out.begin());
    if (bytes->size() < out.size())
        return Failure{"only " + std::to_string(bytes->size()) + " of " + std::to_string(out.size()) + " bytes"};
    return {};
}

}  // namespace dw
