// The shipped table files: that they are what the generator makes, and that
// they hold what the .emg code and the gigascreen and MCX converters need.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "colour/palette.h"
#include "support/test_support.h"
#include "table_generator.h"
#include "zxfiles/emg_code.h"

namespace dw {
namespace {

std::vector<uint8_t> shipped(const char* name) { return test::readFile(std::filesystem::path(DW_DATA) / name); }

// The strip number of four 2x2 ink counts, left to right.
constexpr int strip(int d0, int d1, int d2, int d3) { return 125 * d0 + 25 * d1 + 5 * d2 + d3; }

TEST(TableFiles, ShippedFilesAreWhatTheGeneratorMakesNow)
{
    const auto code = shipped("code256.dat"), deco = shipped("deco256.dat"), tablo = shipped("tablo.dat");
    EXPECT_EQ(code.size() + deco.size() + tablo.size(), 625u + 512u + 1708u * 4);
    EXPECT_EQ(code, tools::makeCodeTable());
    EXPECT_EQ(deco, tools::makeDecoTable());
    EXPECT_EQ(tablo, tools::makeRecordTable());
}

// ---- The 8x2 strip code, read through the .emg coder's own counting ----

class StripCode : public ::testing::Test {
protected:
    std::vector<uint8_t> code = shipped("code256.dat"), deco = shipped("deco256.dat");
    uint8_t upper(int c) const { return deco[c]; }
    uint8_t lower(int c) const { return deco[256 + c]; }
    int decodedNumber(int n) const { return stripNumber(upper(code[n]), lower(code[n])); }
    static int distance(int n, int m)
    {
        int sum = 0;
        for (int w = 1; w <= 125; w *= 5) sum += std::abs(n / w % 5 - m / w % 5);
        return sum;
    }
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

TEST_F(StripCode, EveryOtherStripDecodesToANearestCodedStrip)
{
    for (int n = 0; n < 625; ++n) {
        int nearest = 99;
        for (int c = 0; c < 256; ++c) nearest = std::min(nearest, distance(n, stripNumber(upper(c), lower(c))));
        EXPECT_EQ(distance(n, decodedNumber(n)), nearest) << "strip number " << n;
    }
}

TEST_F(StripCode, BlockPatternsGrowByOnePixelAndTwoIsADiagonal)
{
    // Bits of a block: 8 top left, 4 top right, 2 bottom left, 1 bottom right.
    std::map<int, std::set<int>> patterns;
    for (int c = 0; c < 256; ++c)
        for (int j = 0; j < 4; ++j) {
            const int shift = 6 - 2 * j;
            const int bits = ((upper(c) >> shift) & 3) << 2 | ((lower(c) >> shift) & 3);
            patterns[blockInkCount(upper(c), lower(c), j)].insert(bits);
        }
    ASSERT_EQ(patterns.size(), 5u);
    for (int k = 0; k <= 4; ++k) ASSERT_EQ(patterns[k].size(), 1u) << "count " << k << " has several patterns";
    for (int k = 0; k < 4; ++k) {
        const int now = *patterns[k].begin(), next = *patterns[k + 1].begin();
        EXPECT_EQ(now & next, now) << "pattern of " << k << " is not inside that of " << k + 1;
    }
    EXPECT_TRUE(*patterns[2].begin() == 9 || *patterns[2].begin() == 6);
}

TEST_F(StripCode, StraightAndSlantedEdgesBetweenPaperAndInkKeepTheirCounts)
{
    for (int n : {strip(0, 0, 4, 4), strip(4, 4, 0, 0), strip(0, 4, 4, 4), strip(4, 0, 0, 0), strip(0, 0, 0, 4),
                  strip(4, 4, 4, 0), strip(0, 2, 4, 4), strip(4, 4, 2, 0), strip(0, 1, 4, 4), strip(4, 4, 3, 0)})
        EXPECT_EQ(decodedNumber(n), n) << "strip number " << n;
}

// ---- The gigascreen records ---------------------------------------------

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

bool skipped(const Quad& q) { return q.i1 - q.p1 == q.i2 - q.p2; }

bool sameBright(int a, int b) { return (a >= 8) == (b >= 8); }

class Records : public ::testing::Test {
protected:
    std::vector<Quad> records;
    void SetUp() override
    {
        const auto bytes = shipped("tablo.dat");
        ASSERT_EQ(bytes.size(), 1708u * 4);
        for (size_t i = 0; i < bytes.size(); i += 4) records.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
    }
    template <typename Visit>
    static void forEveryExpressibleQuad(Visit visit)
    {
        for (int p1 = 0; p1 < 16; ++p1)
            for (int i1 = 0; i1 < 16; ++i1)
                for (int p2 = 0; p2 < 16; ++p2)
                    for (int i2 = 0; i2 < 16; ++i2)
                        if (sameBright(p1, i1) && sameBright(p2, i2)) visit(Quad{p1, i1, p2, i2});
    }
};

// Each screen's paper and ink share their bright bit, so the attribute byte
// keeps what the record says; and no two records show the same mixes.
TEST_F(Records, EveryRecordIsExpressibleAndShowsItsOwnMixes)
{
    std::set<std::set<uint32_t>> seen;
    for (const auto& q : records) {
        ASSERT_TRUE(q.p1 < 16 && q.i1 < 16 && q.p2 < 16 && q.i2 < 16);
        EXPECT_TRUE(sameBright(q.p1, q.i1) && sameBright(q.p2, q.i2)) << q.p1 << " " << q.i1 << " " << q.p2 << " " << q.i2;
        EXPECT_EQ(paperIndex(makeAttribute(q.p1, q.i1)), q.p1);
        EXPECT_EQ(inkIndex(makeAttribute(q.p1, q.i1)), q.i1);
        EXPECT_TRUE(seen.insert(mixesOf(q)).second);
    }
}

TEST_F(Records, EverySetOfThreeOrFourMixesIsThere)
{
    std::set<std::set<uint32_t>> full;
    forEveryExpressibleQuad([&](const Quad& q) {
        if (q.p1 < q.i1 && q.p2 < q.i2) full.insert(mixesOf(q));
    });
    EXPECT_EQ(full.size(), 1512u);
    for (const auto& q : records) full.erase(mixesOf(q));
    EXPECT_TRUE(full.empty()) << full.size() << " sets are missing";
}

TEST_F(Records, NoRecordIsSkippedWhenAnotherOrderOfItsColoursWouldNotBe)
{
    std::map<std::set<uint32_t>, bool> canEscape;
    forEveryExpressibleQuad([&](const Quad& q) { canEscape[mixesOf(q)] |= !skipped(q); });
    for (const auto& q : records)
        EXPECT_FALSE(skipped(q) && canEscape[mixesOf(q)]) << q.p1 << " " << q.i1 << " " << q.p2 << " " << q.i2;
}

TEST_F(Records, TwoMixRecordsOfferAColourPairNoFullerRecordHasWithItsCentre)
{
    // A cell's error counts the four mixes and the centre (half the sum of the
    // four entries); a record whose colours another one offers too never wins.
    auto errorColours = [](const Quad& q) {
        auto colours = mixesOf(q);
        const Colour sum = entry(q.p1) + entry(q.i1) + entry(q.p2) + entry(q.i2);
        colours.insert(packColour({sum.b >> 1, sum.g >> 1, sum.r >> 1}));
        return colours;
    };
    std::vector<std::set<uint32_t>> fuller;
    for (const auto& q : records)
        if (mixesOf(q).size() >= 3) fuller.push_back(errorColours(q));
    ASSERT_EQ(fuller.size(), 1512u);
    for (const auto& q : records) {
        if (mixesOf(q).size() >= 3) continue;
        ASSERT_EQ(mixesOf(q).size(), 2u);
        const auto mine = errorColours(q);
        EXPECT_TRUE(std::none_of(fuller.begin(), fuller.end(), [&](const std::set<uint32_t>& f) {
            return std::includes(f.begin(), f.end(), mine.begin(), mine.end());
        })) << q.p1 << " " << q.i1 << " " << q.p2 << " " << q.i2;
    }
}

}  // namespace
}  // namespace dw
