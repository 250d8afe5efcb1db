// Any bytes loaded as a Spectrum screen file of each kind through the "load"
// button: the loader must fill the screens and draw them whatever the file's
// length and contents, never crash or read outside the bytes. The first byte
// picks the kind; the rest is the file.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/form.h"

namespace {

class ScreenDialog : public dw::NoDialogs {
public:
    std::string screen;
    std::optional<std::string> chooseScreen(const std::string&) override { return screen; }
};

// One converter for the whole run, with the real tables and a private folder.
struct Loader {
    ScreenDialog dialogs;
    dw::SteadyClock clock;
    dw::TForm1 form{dialogs, clock};
    std::string folder = (std::filesystem::temp_directory_path() / "dw-screen-fuzz-XXXXXX").string();

    Loader()
    {
        if (!mkdtemp(folder.data())) abort();
        form.tableFolders = {DW_DATA};
        form.FormCreate();
    }
    ~Loader() { std::filesystem::remove_all(folder); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Loader loader;
    static const char* const extensions[] = {"scr", "mcx", "mc", "img", "emg"};
    if (size == 0) return 0;
    loader.dialogs.screen = loader.folder + "/screen." + extensions[data[0] % 5];
    std::ofstream(loader.dialogs.screen, std::ios::binary).write(reinterpret_cast<const char*>(data + 1), size - 1);
    // What a short file leaves of the screens must not depend on earlier inputs.
    loader.form.scr1 = {};
    loader.form.scr2 = {};
    loader.form.emgBuf = {};
    loader.form.ImLoadClick();
    if (loader.form.zxBitmap.width() != dw::screenWidth || loader.form.zxBitmap.height() != dw::screenHeight) abort();
    return 0;
}
