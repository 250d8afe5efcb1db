#include "zxfiles/emg_code.h"

#include <bit>

#include "colour/helpers.h"

namespace dw {

namespace {

constexpr int columns = 32;
constexpr int linePairs = 96;
constexpr int cellRows = 24;

int upperOffset(int column, int pair) { return 32 * zxline(2 * pair) + column; }
int lowerOffset(int column, int pair) { return 32 * zxline(2 * pair + 1) + column; }
int attrOffset(int column, int row) { return 6144 + 32 * row + column; }

}  // namespace

int blockInkCount(uint8_t u, uint8_t v, int j)
{
    const unsigned blockMask = 0xC0u >> (2 * j);
    return std::popcount(u & blockMask) + std::popcount(v & blockMask);
}

int stripNumber(uint8_t u, uint8_t v)
{
    return 125 * blockInkCount(u, v, 0) + 25 * blockInkCount(u, v, 1) + 5 * blockInkCount(u, v, 2) +
           blockInkCount(u, v, 3);
}

void packEmg(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const CodeTable& codeTab, EmgImage& emgBuf)
{
    int k = 0;
    for (int c = 0; c < columns; ++c)
        for (int p = 0; p < linePairs; ++p)
            for (const ScreenBuffer* scr : {&scr1, &scr2})
                emgBuf[k++] = codeTab[stripNumber((*scr)[upperOffset(c, p)], (*scr)[lowerOffset(c, p)])];
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < cellRows; ++r)
            for (const ScreenBuffer* scr : {&scr1, &scr2}) emgBuf[k++] = (*scr)[attrOffset(c, r)];
}

void unpackEmg(const EmgImage& emgBuf, const DecoTable& decoTab, ScreenBuffer& scr1, ScreenBuffer& scr2)
{
    int k = 0;
    for (int c = 0; c < columns; ++c)
        for (int p = 0; p < linePairs; ++p)
            for (ScreenBuffer* scr : {&scr1, &scr2}) {
                const uint8_t code = emgBuf[k++];
                (*scr)[upperOffset(c, p)] = decoTab[0][code];
                (*scr)[lowerOffset(c, p)] = decoTab[1][code];
            }
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < cellRows; ++r)
            for (ScreenBuffer* scr : {&scr1, &scr2}) (*scr)[attrOffset(c, r)] = emgBuf[k++];
}

}  // namespace dw
