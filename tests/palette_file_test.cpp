// Palette files: which names are reloaded, how the 48 bytes become the three
// palettes, and what a short, missing or replaced file leaves behind.

#include "colour/palette.h"
#include "core/form.h"
#include "picture/palette_file.h"
#include "support/test_support.h"

namespace dw {

using test::Harness;
using test::ScratchDir;

struct Palettes {
    PaletteTable b{}, g{}, r{};
};

Palettes read(const std::vector<uint8_t>& bytes)
{
    Palettes p;
    p.b.fill(-1), p.g.fill(-1), p.r.fill(-1);
    readPaletteBytes(bytes, p.b, p.g, p.r);
    return p;
}

// The 16 Spectrum colours at full intensity, as red, green, blue triples.
std::vector<uint8_t> spectrumColours()
{
    std::vector<uint8_t> bytes;
    for (int k = 0; k < 16; ++k)
        bytes.insert(bytes.end(), {uint8_t(k & 2 ? 255 : 0), uint8_t(k & 4 ? 255 : 0), uint8_t(k & 1 ? 255 : 0)});
    return bytes;
}

TEST(PaletteFile, EntriesAreHalfTheBytesInRedGreenBlueOrderAndShortFilesRepeatTheLastByte)
{
    std::vector<uint8_t> bytes = spectrumColours();
    bytes.resize(768, 200);  // a full colour table: only the first 16 entries count
    const Palettes p = read(bytes);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ((Colour{p.b[k], p.g[k], p.r[k]}), (Colour{k & 1 ? 127 : 0, k & 4 ? 127 : 0, k & 2 ? 127 : 0})) << k;
    const Palettes odd = read({1, 3, 5, 254, 253, 252});
    EXPECT_EQ((Colour{odd.b[1], odd.g[1], odd.r[1]}), (Colour{126, 126, 127}));
    // Two whole entries and the red of a third; no bytes at all give black.
    const Palettes cut = read({10, 20, 30, 40, 50, 60, 70}), none = read({});
    EXPECT_EQ((Colour{cut.b[0], cut.g[0], cut.r[0]}), (Colour{15, 10, 5}));
    for (int k = 2; k < 16; ++k) EXPECT_EQ((Colour{cut.b[k], cut.g[k], cut.r[k]}), (Colour{30, 25, 35})) << k;
    for (int k = 0; k < 16; ++k) EXPECT_EQ(none.b[k] | none.g[k] | none.r[k], 0) << k;
    for (const char* name : {"PAL.ACT", "/x/pal.act.bak", "/x/my.actual/colours"}) EXPECT_TRUE(isPaletteFileName(name));
    for (const char* name : {"pal.ac", "palact", ""}) EXPECT_FALSE(isPaletteFileName(name));
}

TEST(PaletteFile, ChosenFileIsReloadedOnEveryPreparation)
{
    ScratchDir dir;
    Harness h;
    TForm1& f = *h.form;
    test::writeFile("PAL.ACT", spectrumColours());
    h.dialogs.palette = (dir.path() / "PAL.ACT").string();
    f.btSaveDraw.enabled = f.retouchOn = true;
    f.Button2Click();
    EXPECT_FALSE(f.btSaveDraw.enabled || f.retouchOn);
    EXPECT_TRUE(f.palName == *h.dialogs.palette && f.palR[15] == 127 && f.palG[2] == 0);

    // Edited on disk: the next preparation of any kind reads it again.
    test::writeFile("PAL.ACT", {2, 4, 6});
    f.setText(f.edBrightness, "0.1");
    EXPECT_EQ((Colour{f.palB[15], f.palG[15], f.palR[15]}), (Colour{3, 2, 1}));

    // A cancelled dialog keeps the file in force; a deleted file reads black.
    h.dialogs.palette.reset();
    std::filesystem::remove("PAL.ACT");
    f.Button2Click();
    EXPECT_EQ(f.palName, (dir.path() / "PAL.ACT").string());
    for (int k = 0; k < 16; ++k) EXPECT_EQ(f.palB[k] | f.palG[k] | f.palR[k], 0) << k;
    // Another name stops the reload without restoring the default.
    test::writeFile("a.act", spectrumColours());
    test::writeFile("b.pal", {});
    for (const char* name : {"a.act", "b.pal"}) {
        h.dialogs.palette = name;
        f.Button2Click();
        EXPECT_EQ(f.palB[1], 127) << name;
    }
}

}  // namespace dw
