#pragma once
// The parts one converter call works on, made as start-up makes them, for
// tests that call a converter directly on a small picture.

#include "support/test_support.h"
#include "base/colour.h"
#include "colour/helpers.h"
#include "colour/mix_table.h"
#include "modes/conversion.h"

namespace dw::test {

using Record = std::array<uint8_t, 4>;  // paper 1, ink 1, paper 2, ink 2

struct Parts : PictureState, ScreenState, Palette, Tables, Scratch {
    ModeSettings settings;

    Parts()
    {
        for (Bitmap* b : {&zxBitmap, &modelBitmap, &layer1Bitmap, &layer2Bitmap}) b->resize(screenWidth, screenHeight);
    }
    Conversion conversion() { return {*this, settings, *this, *this, *this, *this}; }

    // Paints the work planes; the reference planes copy them, as a run takes them.
    void paint(const std::function<Colour(int x, int y)>& colourAt)
    {
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x) {
                const Colour c = colourAt(x, y);
                workB[y][x] = c.b, workG[y][x] = c.g, workR[y][x] = c.r;
            }
        origB.copyFrom(workB), origG.copyFrom(workG), origR.copyFrom(workR);
    }
    void fill(int b, int g, int r) { paint([&](int, int) { return Colour{b, g, r}; }); }
    void set(int x, int y, int b, int g, int r) { workB[y][x] = b, workG[y][x] = g, workR[y][x] = r; }
    void levelZero() { settings.dithLo = 128, settings.dithHi = 127; }

    // The records of "tablo.dat", repeated or followed by zeros, each with
    // the mixes of its pairs in the default palette.
    void setRecords(const std::vector<Record>& records, bool repeat = false)
    {
        for (int i = 0; i < gigaTabSize; ++i) {
            auto& e = gigaTab[i];
            e = {};
            if (repeat || i < int(records.size())) std::copy_n(records[i % records.size()].begin(), 4, e.begin());
            auto mix = [&](int c, int d) {
                for (int m = 0; m < mixCount; ++m)
                    if (mixTable[m].b == palB[c] + palB[d] && mixTable[m].g == palG[c] + palG[d] &&
                        mixTable[m].r == palR[c] + palR[d])
                        return uint8_t(m);
                return uint8_t(0);
            };
            e[4] = mix(e[0], e[2]), e[5] = mix(e[1], e[2]), e[6] = mix(e[0], e[3]), e[7] = mix(e[1], e[3]);
        }
    }
};

inline Colour grey(int v) { return {v, v, v}; }

// Bit of pixel (x, y) in Spectrum line order, and its 8x8 cell's attribute.
inline int bitAt(const ScreenBuffer& scr, int x, int y) { return (scr[32 * zxline(y) + x / 8] >> (7 - x % 8)) & 1; }
inline int attrAt(const ScreenBuffer& scr, int x, int y) { return scr[6144 + 32 * (y / 8) + x / 8]; }
inline void expectEveryAttribute(const ScreenBuffer& scr, int attribute)
{
    for (int i = 6144; i < 6912; ++i) ASSERT_EQ(scr[i], attribute) << "cell " << i - 6144;
}

}  // namespace dw::test
