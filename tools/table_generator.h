#pragma once
// Makes the three table files that the converter reads at start-up, byte for
// byte and always the same: "code256.dat", "deco256.dat" and "tablo.dat".
// README.md beside this file tells how their contents were chosen.

#include <array>
#include <cstdint>
#include <vector>

namespace dw::tools {

inline constexpr int stripVectorCount = 625;  // four 2x2 ink counts 0..4, base 5
inline constexpr int stripCodeCount = 256;
inline constexpr int recordCount = 1708;

// The four 2x2 ink counts d0..d3 (left to right) of n = 125*d0 + 25*d1 + 5*d2 + d3.
using CountVector = std::array<int, 4>;
CountVector countVector(int n);
int stripNumberOf(const CountVector& d);

// The count vectors that get a code of their own, by rising strip number, so
// that code c stands for the c-th of them.
std::vector<CountVector> codedVectors();

// "code256.dat": 625 bytes, the code of every strip number.
std::vector<uint8_t> makeCodeTable();
// "deco256.dat": 512 bytes, the upper-line byte of each code 0..255, then the
// lower-line byte.
std::vector<uint8_t> makeDecoTable();

// A gigascreen record: paper and ink colour numbers of screen 1 and screen 2.
struct Record {
    uint8_t paper1, ink1, paper2, ink2;
    bool operator==(const Record&) const = default;
};

std::vector<Record> makeRecords();
// "tablo.dat": the records, four bytes each in the order paper 1, ink 1,
// paper 2, ink 2.
std::vector<uint8_t> makeRecordTable();

}  // namespace dw::tools
