#pragma once
// The start of a file, for the small files read whole or in part: screens,
// palettes and tables. A short file gives what it holds.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/result.h"

namespace dw {

// Up to `limit` bytes from the start of the file, or why there are none:
// "cannot be opened" or "cannot be read".
inline Result<std::vector<uint8_t>> readFilePrefix(const std::filesystem::path& path, size_t limit)
{
    std::vector<uint8_t> bytes(limit);
    std::ifstream in(path, std::ios::binary);
    if (!in) return Failure{"cannot be opened"};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
    if (in.bad()) return Failure{"cannot be read"};
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace dw
