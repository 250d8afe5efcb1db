// make-tables FOLDER: writes "code256.dat", "deco256.dat" and "tablo.dat"
// into FOLDER.

#include <filesystem>
#include <fstream>
#include <iostream>

#include "table_generator.h"

namespace {

bool writeTable(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return true;
    std::cerr << "make-tables: cannot write " << path.string() << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-tables FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    bool written = writeTable(folder / "code256.dat", dw::tools::makeCodeTable());
    written = writeTable(folder / "deco256.dat", dw::tools::makeDecoTable()) && written;
    written = writeTable(folder / "tablo.dat", dw::tools::makeRecordTable()) && written;
    return written ? 0 : 1;
}
