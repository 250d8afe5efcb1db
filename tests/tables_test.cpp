// The shipped table files: that they are what the generator makes, and that
// they hold what the .emg code and the gigascreen and MCX converters need.

#include "colour/palette.h"
#include "support/test_support.h"
#include "table_generator.h"
#include "zxfiles/emg_code.h"

namespace dw {

std::vector<uint8_t> shipped(const char* name) { return test::readFile(std::filesystem::path(DW_DATA) / name); }

// The strip number of four 2x2 ink counts, left to right.
constexpr int strip(int d0, int d1, int d2, int d3) { return 125 * d0 + 25 * d1 + 5 * d2 + d3; }

TEST(TableFiles, ShippedFilesAreWhatTheGeneratorMakesNow)
{
    EXPECT_EQ(shipped("code256.dat"), tools::makeCodeTable());
    EXPECT_EQ(shipped("deco256.dat"), tools::makeDecoTable());
    EXPECT_EQ(shipped("tablo.dat"), tools::makeRecordTable());
}

// The 8x2 strip code, read through the .emg coder's own counting.
class StripCode : public ::testing::Test {
protected:
    std::vector<uint8_t> code = shipped("code256.dat"), deco = shipped("deco256.dat");
    uint8_t upper(int c) const { return deco[c]; }
    uint8_t lower(int c) const { return deco[256 + c]; }
    int decodedNumber(int n) const { return stripNumber(upper(code[n]), lower(code[n])); }
    static int spread(int n)
    {
        const int d[4] = {n / 125, n / 25 % 5, n / 5 % 5, n % 5};
        return *std::max_element(d, d + 4) - *std::min_element(d, d + 4);
    }
    void SetUp() override { ASSERT_TRUE(code.size() == 625 && deco.size() == 512); }
};

TEST_F(StripCode, EveryCodeCodesBackAndCountsWithinTwoOfEachOtherRoundTripExactly)
{
    for (int c = 0; c < 256; ++c) EXPECT_EQ(code[stripNumber(upper(c), lower(c))], c) << "code " << c;
    int within = 0;
    for (int n = 0; n < 625; ++n)
        if (spread(n) <= 2) {
            ++within;
            EXPECT_EQ(decodedNumber(n), n);
        }
    EXPECT_EQ(within, 211);
}

TEST_F(StripCode, StraightAndSlantedEdgesBetweenPaperAndInkKeepTheirCounts)
{
    for (int n : {strip(0, 0, 4, 4), strip(4, 4, 0, 0), strip(0, 4, 4, 4), strip(4, 0, 0, 0), strip(0, 0, 0, 4),
                  strip(4, 4, 4, 0), strip(0, 2, 4, 4), strip(4, 4, 2, 0), strip(0, 1, 4, 4), strip(4, 4, 3, 0)})
        EXPECT_EQ(decodedNumber(n), n) << "strip number " << n;
}

struct Quad {
    int p1, i1, p2, i2;
};

Colour entry(int k) { return paletteColour(defaultPalB, defaultPalG, defaultPalR, k); }

// The distinct mixes a record shows, as packed colours.
std::set<uint32_t> mixesOf(const Quad& q)
{
    return {packColour(entry(q.p1) + entry(q.p2)), packColour(entry(q.i1) + entry(q.p2)),
            packColour(entry(q.p1) + entry(q.i2)), packColour(entry(q.i1) + entry(q.i2))};
}

bool sameBright(int a, int b) { return (a >= 8) == (b >= 8); }

// Each screen's paper and ink share their bright bit, so the attribute byte
// keeps what the record says; no two records show the same mixes, and every
// set of three or four mixes is there.
TEST(Records, EveryRecordIsExpressibleAndEverySetOfThreeOrFourMixesIsThereOnce)
{
    const auto bytes = shipped("tablo.dat");
    ASSERT_EQ(bytes.size(), 1708u * 4);
    std::vector<Quad> records;
    for (size_t i = 0; i < bytes.size(); i += 4) records.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
    std::set<std::set<uint32_t>> seen, full;
    for (const auto& q : records) {
        EXPECT_TRUE(std::max({q.p1, q.i1, q.p2, q.i2}) < 16 && sameBright(q.p1, q.i1) && sameBright(q.p2, q.i2))
            << q.p1 << " " << q.i1 << " " << q.p2 << " " << q.i2;
        EXPECT_TRUE(seen.insert(mixesOf(q)).second);
    }
    for (int p1 = 0; p1 < 16; ++p1)
        for (int i1 = p1 + 1; i1 < 16; ++i1)
            for (int p2 = 0; p2 < 16; ++p2)
                for (int i2 = p2 + 1; i2 < 16; ++i2)
                    if (sameBright(p1, i1) && sameBright(p2, i2)) full.insert(mixesOf({p1, i1, p2, i2}));
    EXPECT_EQ(full.size(), 1512u);
    for (const auto& q : records) full.erase(mixesOf(q));
    EXPECT_TRUE(full.empty()) << full.size() << " sets are missing";
}

}  // namespace dw
