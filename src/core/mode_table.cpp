#include "core/mode_table.h"

#include "modes/conv6912.h"
#include "modes/conv_8col.h"
#include "modes/conv_giga.h"
#include "modes/conv_mc.h"
#include "modes/conv_mcx.h"
#include "modes/conv_r48.h"
#include "modes/conv_rmode.h"

namespace dw {

const std::vector<Mode>& modeTable()
{
    using F = TForm1;
    using S = ScreenState;
    const ModePreview screen{"imTo", &F::imTo, &S::zxBitmap}, model{"imToTmp", &F::imToTmp, &S::modelBitmap};
    static const std::vector<Mode> table = {
        {"6912", "to 6912", &F::btConv6912Click, conv6912, {".scr", ".ch$"}, {}, {screen}, {}},
        {"giga", "to Gigascreen", &F::btConvGigaClick, convGiga, {".img", ".emg", ".ch$"}, {}, {screen},
         {"tablo.dat", "code256.dat"}, true},
        {"mc", "to MultiColor", &F::btConvMCClick, convMC, {".mc"}, {}, {screen}, {}},
        {"mcx", "to MCX!!!", &F::btConvMCXClick, convMCX, {".mcx"}, {}, {screen}, {"tablo.dat"}},
        {"8col", "to 8col", &F::btConv8colClick, conv8col, {".3"}, {}, {screen}, {}},
        {"rmode", "to R-Mode", &F::btConvRModeClick, convRMode, {".rm"}, {"layer1.bmp", "layer2.bmp"},
         {screen, model, {"ImToTmpGrey", &F::ImToTmpGrey, &S::layer1Bitmap},
          {"ImToTmpGrey2", &F::ImToTmpGrey2, &S::layer2Bitmap}},
         {}},
        {"r48", "to R48-Mode", &F::btConvR48ModeClick, convR48Mode, {".r48"}, {}, {screen, model}, {}},
    };
    return table;
}

const Mode* modeNamed(const std::string& name)
{
    for (const Mode& mode : modeTable())
        if (name == mode.name) return &mode;
    return nullptr;
}

std::string modeNames()
{
    std::string names;
    for (const Mode& mode : modeTable()) names += (names.empty() ? "" : ", ") + std::string(mode.name);
    return names;
}

}  // namespace dw
