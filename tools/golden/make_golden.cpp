// make-golden TESTDATA TABLES OUT: runs every golden case and writes the
// table of digests. Remake the table only when a change of output is meant.

#include <fstream>
#include <iostream>

#include "golden/golden_cases.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: make-golden TESTDATA-FOLDER TABLES-FOLDER OUT-FILE\n";
        return 2;
    }
    const dw::GoldenFolders folders{argv[1], argv[2]};
    std::ofstream out(argv[3]);
    try {
        for (const dw::GoldenCase& goldenCase : dw::goldenCases())
            for (const dw::GoldenItem& item : dw::runGoldenCase(goldenCase, folders))
                out << dw::goldenTableLine(goldenCase, item) << '\n';
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    out.close();
    if (!out) {
        std::cerr << "cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
