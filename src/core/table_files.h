#pragma once
// The three table files read at start-up: "code256.dat", "deco256.dat" and
// "tablo.dat". A file is taken from the first of the folders that holds it:
// the form's working folder, then the fallback folders, so a program started
// from elsewhere still finds its installed tables.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"

namespace dw {

// Beside the executable, its ../share/dapplewright, and the install folder.
std::vector<std::string> defaultTableFolders();

// Reads up to out.size() bytes of the named table into out; bytes the file
// does not hold keep their value. Fails saying why the table is not whole
// ("not found", "only N of M bytes").
Status readTable(const std::string& fileName, const std::vector<std::string>& folders, std::span<uint8_t> out);

}  // namespace dw
