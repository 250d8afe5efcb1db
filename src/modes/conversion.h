#pragma once
// What a converter works on, in the parts its caller keeps them: the prepared
// picture, the settings of one run, the palette, the tables, the screens and
// previews it fills, and its working rows. A converter touches nothing else,
// so two conversions on separate parts can run side by side.

#include <array>
#include <cstdint>
#include <memory>

#include "base/bitmap.h"
#include "base/plane.h"
#include "base/screen.h"
#include "colour/palette.h"

namespace dw {

inline constexpr int gigaTabSize = 1708;
inline constexpr int mixCount = 83;
// A channel of a gigascreen mix or centre takes one of nine levels, 63k/2.
inline constexpr int mixLevelCount = 9;

// The picture as the preparation left it (work planes, which converters
// diffuse into) and the reference copy a run takes of it (orig planes).
struct PictureState {
    Plane workB, workG, workR;
    Plane origB, origG, origR;
};

// Every control a converter reads, read once when a run starts.
struct ModeSettings {
    bool floyd = true;           // "Floyd": error diffusion, else the ordered matrix
    bool projecting = false;     // "Color projecting"
    bool centering = false;      // "Palette centering"
    bool brightOnly = false;     // "Bright Only"
    bool limitMC = false;        // "Limit MC"
    bool evenMC = true;          // "Even MC"
    bool brightGrey = true;      // "Bright grey"
    bool rModeNoise = true;      // "R-Mode noise"
    uint8_t chunkMask = 7;       // 1 with "5 chunks", else 7
    uint8_t dithLo = 0, dithHi = 255;
    double mcLevel = 1.0, kcolerr = 0.0;
};

// Half-intensity entries indexed by colour number.
struct Palette {
    PaletteTable palB = defaultPalB, palG = defaultPalG, palR = defaultPalR;
};

// The three tables read at start-up.
struct Tables {
    std::array<uint8_t, 625> codeTab{};
    std::array<std::array<uint8_t, 256>, 2> decoTab{};
    std::array<std::array<uint8_t, 8>, gigaTabSize> gigaTab{};
};

// What a conversion leaves for the files, the views and the brush.
struct ScreenState {
    ScreenBuffer scr1{}, scr2{}, scr1Conv{}, scr2Conv{};
    std::array<std::array<uint8_t, 6400>, 4> rmExtra{};
    Plane chunkLevel1, chunkLevel2;                   // ink shares per pixel, for the brush
    std::array<int32_t, 128> candColB{}, candColG{}, candColR{};  // 6912 cell colours, for the brush
    Bitmap zxBitmap, modelBitmap, layer1Bitmap, layer2Bitmap;
};

struct McxTables;  // modes/mcx_records.h

// The MCX search's tables, too big for a thread's stack: allocated by the
// first run that asks for them and kept for later runs. A copy starts
// without them, as every run overwrites them before it reads them.
class McxStorage {
public:
    McxStorage();
    McxStorage(const McxStorage&);
    McxStorage& operator=(const McxStorage&);
    ~McxStorage();
    McxTables& tables();

private:
    std::unique_ptr<McxTables> tables_;
};

// Working rows and planes a converter overwrites before it reads them.
struct Scratch {
    std::array<uint8_t, 32> rowAttr1{}, rowAttr2{}, rowPix1{}, rowPix2{};
    std::array<int32_t, 4> cellColB{}, cellColG{}, cellColR{};
    std::array<std::array<std::array<int32_t, 8>, 8>, mixCount> mixDist{};
    // Per channel, level and pixel of a cell: (level value - channel)^2.
    std::array<std::array<std::array<std::array<int32_t, 8>, 8>, mixLevelCount>, 3> levelDist{};
    Plane rmAux1, rmAux2, rmAux3, rmAux4;
    McxStorage mcx;
};

// One converter call: the parts it reads and the parts it fills.
struct Conversion {
    PictureState& picture;
    const ModeSettings& settings;
    const Palette& palette;
    const Tables& tables;
    ScreenState& screen;
    Scratch& scratch;
};

using Converter = void (*)(const Conversion&);

}  // namespace dw
