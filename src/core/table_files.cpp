#include "core/table_files.h"

#include <filesystem>
#include <fstream>

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
    std::ifstream in(path, std::ios::binary);
    if (!in) return Failure{"cannot be opened"};
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got < out.size())
        return Failure{"only " + std::to_string(got) + " of " + std::to_string(out.size()) + " bytes"};
    return {};
}

}  // namespace dw
