// A random picture opened and prepared with random settings and framing, as a
// user of the window could set them: typed tone and framing texts, framing
// clicks anywhere, the lock and the preparation check boxes. The preparation
// must always leave a 256x192 preview and work planes within 0..255.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/form.h"
#include "core/number_text.h"
#include "readers/bmp_writer.h"

namespace {

class PictureDialog : public dw::NoDialogs {
public:
    std::string picture;
    std::optional<std::string> choosePicture(const std::string&) override { return picture; }
};

struct Folder {
    std::string path = (std::filesystem::temp_directory_path() / "dw-preparation-fuzz-XXXXXX").string();
    Folder()
    {
        if (!mkdtemp(path.data())) abort();
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

// A setting as typed: mostly a number, sometimes any text.
std::string typedText(FuzzedDataProvider& input)
{
    if (input.ConsumeBool()) return input.ConsumeRandomLengthString(16);
    return dw::formatGeneral(input.ConsumeFloatingPoint<double>());
}

void writePicture(FuzzedDataProvider& input, const std::string& name)
{
    dw::Bitmap picture(input.ConsumeIntegralInRange(1, 64), input.ConsumeIntegralInRange(1, 64));
    for (uint8_t& byte : picture.rgb()) byte = input.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> file = dw::encodeBmp24(picture);
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folder folder;
    FuzzedDataProvider input(data, size);
    PictureDialog dialogs;
    dw::SteadyClock clock;
    auto form = std::make_unique<dw::TForm1>(dialogs, clock);
    form->FormCreate();
    form->setChecked(form->cbFix, input.ConsumeBool());
    dialogs.picture = folder.path + "/picture.bmp";
    writePicture(input, dialogs.picture);
    form->btOpenClick();

    for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 9)) {
        case 0: form->setText(form->edBrightness, typedText(input)); break;
        case 1: form->setText(form->edContrast, typedText(input)); break;
        case 2: form->setText(form->edColor, typedText(input)); break;
        case 3: form->setText(form->edXmin, typedText(input)); break;
        case 4: form->setText(form->edYmin, typedText(input)); break;
        case 5: form->setText(form->edWidth, typedText(input)); break;
        case 6: form->setText(form->edHeight, typedText(input)); break;
        case 7:
            form->Image1MouseDown(input.ConsumeBool() ? dw::MouseButton::left : dw::MouseButton::right,
                                  input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>());
            break;
        case 8: form->click(input.ConsumeBool() ? form->cbFix : form->cbBrightOnly); break;
        case 9: form->click(form->cbChunk5); break;
        }
    }

    if (form->normBitmap.width() != dw::screenWidth || form->normBitmap.height() != dw::screenHeight) abort();
    for (const dw::Plane* plane : {&form->workB, &form->workG, &form->workR})
        for (int y = 0; y < dw::screenHeight; ++y)
            for (int x = 0; x < dw::screenWidth; ++x)
                if ((*plane)[y][x] < 0 || (*plane)[y][x] > 255) abort();
    return 0;
}
