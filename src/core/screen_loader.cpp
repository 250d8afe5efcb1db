// The "load" button: reads a Spectrum screen file back into the screen
// buffers and shows it with the current palette. The brush stays off.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_prefix.h"
#include "core/form.h"
#include "zxfiles/cell_drawing.h"
#include "zxfiles/layouts.h"
#include "zxfiles/screen_kind.h"

namespace dw {

void TForm1::ImLoadClick()
{
    btSaveDraw.enabled = false;
    retouchOn = false;

    const std::optional<std::string> chosen = dialogs_.chooseScreen(workFolder);
    if (chosen) loadScreenFile(*chosen);
}

void TForm1::loadScreenFile(const std::string& chosen)
{
    btSaveDraw.enabled = false;
    retouchOn = false;
    const std::string name = cutName(chosen);
    // Made absolute first: a relative name must still find the file once its folder is entered.
    std::error_code ignored;
    const std::filesystem::path path = std::filesystem::absolute(name, ignored);
    enterFolderOf(path.string());
    loadedScreen = path.string();

    // A file that cannot be read loads as an empty one: the buffers keep what
    // they held and are drawn again, and the memo says why.
    const auto bytesUpTo = [&](size_t limit) {
        Result<std::vector<uint8_t>> bytes = readFilePrefix(path, limit);
        if (bytes) return std::move(*bytes);
        addMemoLine("cannot load " + name + ": the file " + bytes.error());
        return std::vector<uint8_t>();
    };
    const PaletteView pal{palB, palG, palR};
    switch (screenKindOf(name)) {
    case ScreenKind::scr:
        readScr(bytesUpTo(scrFileSize), scr1);
        drawStandardScreen(scr1, pal, zxBitmap);
        break;
    case ScreenKind::mcx:
        readMcx(bytesUpTo(mcxFileSize), scr1, scr2);
        drawMulticolorPair(scr1, scr2, pal, zxBitmap);
        break;
    case ScreenKind::mc:
        readMc(bytesUpTo(mcReadLimit), scr1, scr2);
        drawMulticolorScreen(scr1, pal, zxBitmap);
        break;
    case ScreenKind::img:
        readImg(bytesUpTo(imgFileSize), scr1, scr2);
        drawStandardPair(scr1, scr2, pal, zxBitmap);
        break;
    case ScreenKind::emg:
        // Without the decoding table every strip would unpack as empty.
        if (std::find(unreadTables.begin(), unreadTables.end(), "deco256.dat") != unreadTables.end()) {
            addMemoLine("cannot load " + name + ": deco256.dat could not be read");
            return;
        }
        readEmg(bytesUpTo(emgFileSize), emgBuf);
        unpackEmg(emgBuf, decoTab, scr1, scr2);
        drawStandardPair(scr1, scr2, pal, zxBitmap);
        break;
    case ScreenKind::none:
        break;
    }
    imTo.picture = zxBitmap;
}

}  // namespace dw
