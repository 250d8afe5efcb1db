#pragma once
// The frozen record of right answers: a set of conversions (photo, mode,
// option set) run through the window's handlers, each reduced to the SHA-256
// of every file it writes and of every preview it shows.

#include <filesystem>
#include <string>
#include <vector>

namespace dw {

struct GoldenCase {
    std::string photo;    // a file of the test photos folder
    std::string mode;     // 6912, mc, giga, mcx, 8col, rmode, r48
    std::string options;  // an option set by name, "default" for the window's initial values
    std::string name() const { return photo + " " + mode + " " + options; }
};

struct GoldenItem {
    std::string item;  // "file NAME" or "preview VIEW"
    std::string sha256;
    bool operator==(const GoldenItem&) const = default;
};

struct GoldenFolders {
    std::filesystem::path testData;  // holds photos/ and act/
    std::filesystem::path tables;    // holds the three table files
};

std::vector<GoldenCase> goldenCases();

// Runs one case in a scratch folder of its own, which it removes again.
std::vector<GoldenItem> runGoldenCase(const GoldenCase& goldenCase, const GoldenFolders& folders);

// One line per item: case name, item, digest, separated by tabs.
std::string goldenTableLine(const GoldenCase& goldenCase, const GoldenItem& item);

}  // namespace dw
