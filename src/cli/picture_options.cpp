#include "cli/picture_options.h"

#include <charconv>
#include <filesystem>
#include <limits>

#include "core/number_text.h"

namespace dw::cli {

namespace {

std::string checkDecimal(const std::string& text)
{
    return parseDecimal(text) ? std::string() : "'" + text + "' is not a decimal number";
}

// "X,Y,W,H" with whole numbers; the far corner must fit a mouse coordinate.
std::optional<CropRect> parseCrop(const std::string& text)
{
    long long values[4];
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at == end || *at != ',') return std::nullopt;
            ++at;
        }
        auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc()) return std::nullopt;
        at = next;
    }
    if (at != end) return std::nullopt;
    const auto fitsInt = [](long long v) {
        return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
    };
    for (long long v : {values[0], values[1], values[2], values[3], values[0] + values[2], values[1] + values[3]})
        if (!fitsInt(v)) return std::nullopt;
    return CropRect{static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                    static_cast<int>(values[3])};
}

std::string absoluteName(const std::string& name) { return std::filesystem::absolute(name).string(); }

void addText(FormSettings& settings, Edit TForm1::*edit, const std::optional<std::string>& text)
{
    if (text) settings.texts.emplace_back(edit, *text);
}

}  // namespace

void addPictureOptions(CLI::App& command, PictureOptions& options)
{
    command.add_option("PICTURE", options.picture, "Picture to convert (.bmp, .png, .tga, .jpg, .gif)")->required();
    command.add_option("--brightness", options.brightness, "Brightness, as typed into its edit (default 0)")
        ->check(checkDecimal);
    command.add_option("--contrast", options.contrast, "Contrast (default 1.25)")->check(checkDecimal);
    command.add_option("--saturation", options.saturation, "Saturation (default 1)")->check(checkDecimal);
    command
        .add_option_function<std::string>(
            "--crop",
            [&options](const std::string& text) {
                options.crop = parseCrop(text);
                if (!options.crop) throw CLI::ValidationError("--crop", "expected X,Y,W,H in whole pixels");
            },
            "Framing rectangle in source pixels, set as the mouse sets it")
        ->type_name("X,Y,W,H");
    command.add_flag("--no-lock", options.noLock, "Open the picture with the 3:4 lock off, framing all of it");
    command.add_option("--palette", options.palette, "Palette file (.act)")->check(CLI::ExistingFile);
}

FormSettings pictureSettings(const PictureOptions& options)
{
    FormSettings settings;
    settings.picture = absoluteName(options.picture);
    if (options.palette) settings.palette = absoluteName(*options.palette);
    if (options.noLock) settings.boxes.emplace_back(&TForm1::cbFix, false);
    addText(settings, &TForm1::edBrightness, options.brightness);
    addText(settings, &TForm1::edContrast, options.contrast);
    addText(settings, &TForm1::edColor, options.saturation);
    if (const auto& crop = options.crop)
        settings.crop = FormSettings::Corners{crop->x, crop->y, crop->x + crop->width, crop->y + crop->height};
    return settings;
}

Status openPicture(CliSession& session, const FormSettings& settings)
{
    TForm1& form = session.form;
    form.takeSettings(settings);
    if (!form.pictureError.empty()) return Failure{form.pictureError};
    if (form.srcBitmap.empty()) return Failure{"it is not named as a picture file (.bmp, .png, .tga, .jpg, .gif)"};
    return {};
}

}  // namespace dw::cli
