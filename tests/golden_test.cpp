// Every mode's files and previews on real photos under the option sets that
// matter, pinned by their SHA-256 digests in tests/data/golden.tsv. A failure
// here means a converter's output changed; remake the table with make-golden
// only when that change is meant.

#include <fstream>

#include "golden/golden_cases.h"
#include "support/test_support.h"

namespace dw {

void PrintTo(const GoldenCase& goldenCase, std::ostream* out) { *out << goldenCase.name(); }

namespace {

using Table = std::map<std::string, std::vector<std::string>>;  // case name -> its lines

const Table& recordedTable()
{
    static const Table table = [] {
        Table lines;
        std::ifstream in(test::testdata("golden.tsv"));
        for (std::string line; std::getline(in, line);) lines[line.substr(0, line.find('\t'))].push_back(line);
        return lines;
    }();
    return table;
}

class Golden : public testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, FilesAndPreviewsMatchTheRecord)
{
    const GoldenCase& goldenCase = GetParam();
    const auto recorded = recordedTable().find(goldenCase.name());
    ASSERT_NE(recorded, recordedTable().end()) << "no record for " << goldenCase.name();

    std::vector<std::string> lines;
    for (const GoldenItem& item : runGoldenCase(goldenCase, {DW_TESTDATA, DW_DATA}))
        lines.push_back(goldenTableLine(goldenCase, item));
    EXPECT_EQ(lines, recorded->second);
}

TEST(Golden, EveryRecordBelongsToACase)
{
    size_t cases = 0;
    for (const GoldenCase& goldenCase : goldenCases()) cases += recordedTable().count(goldenCase.name());
    EXPECT_EQ(cases, recordedTable().size());
}

std::string caseName(const testing::TestParamInfo<GoldenCase>& info)
{
    std::string name = info.param.name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(goldenCases()), caseName);

}  // namespace
}  // namespace dw
