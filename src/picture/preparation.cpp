// The picture preparation: settings from the edits, the palette reload, the
// decode of a newly chosen picture, then sampling the framing rectangle down
// to 256x192 with contrast, brightness and saturation into the work planes.
// Floating-point steps run in extended precision; only values held as
// doubles (sx, sy, offset, the luminance) are rounded to double.

#include <cmath>
#include <string>

#include "colour/colour.h"
#include "core/form.h"
#include "core/number_text.h"
#include "picture/palette_file.h"
#include "readers/picture_loader.h"

namespace dw {

namespace {

void readPreparationSettings(TForm1& form)
{
    form.brightOnly = form.cbBrightOnly.checked;
    form.chunkMask = form.cbChunk5.checked ? 1 : 7;
    parseInto(form.edBrightness.text, form.brightness);
    parseInto(form.edColor.text, form.saturation);
    parseInto(form.edContrast.text, form.contrast);
    parseInto(form.edPrior.text, form.mcLevel);
    parseInto(form.edkcolerr.text, form.kcolerr);
}

// Frames the whole picture and writes the rectangle into the edits; each
// write that changes a text runs that edit's handler, which may apply the
// 3:4 lock and prepares again (nested, without decoding).
void resetCropToPicture(TForm1& form)
{
    form.cropWidth = form.srcBitmap.width();
    form.cropHeight = form.srcBitmap.height();
    form.cropX = 0;
    form.cropY = 0;
    form.setText(form.edWidth, formatGeneral(form.cropWidth));
    form.setText(form.edHeight, formatGeneral(form.cropHeight));
    form.setText(form.edXmin, formatGeneral(form.cropX));
    form.setText(form.edYmin, formatGeneral(form.cropY));
}

// Decodes `picName` into `srcBitmap`. Returns false when the decoder failed:
// the failure is in the memo and `pictureError`, and the picture is empty.
bool decodePicture(TForm1& form)
{
    form.srcBitmap = Bitmap();
    form.loadedName = form.picName;
    form.addMemoLine(form.picName);
    PictureLoad load = loadPicture(form.picName);
    if (!load.ok()) {
        form.Image1.picture = form.srcBitmap;
        form.pictureError = load.error;
        form.addMemoLine("cannot read picture: " + load.error);
        return false;
    }
    form.pictureError.clear();
    form.srcBitmap = std::move(load.bitmap);
    form.Image1.picture = form.srcBitmap;
    form.addMemoLine(std::to_string(form.srcBitmap.width()) + "x" + std::to_string(form.srcBitmap.height()));
    resetCropToPicture(form);
    return true;
}

// Source pixel at the truncated position; white outside the picture (and
// everywhere in an empty one). Positions beyond any int read as outside.
Colour sourcePixel(const Bitmap& picture, long double u, long double v)
{
    if (!(u >= 0 && u < picture.width() && v >= 0 && v < picture.height())) return {255, 255, 255};
    int x = static_cast<int>(u), y = static_cast<int>(v);
    return {picture.blue(x, y), picture.green(x, y), picture.red(x, y)};
}

// Above 255 becomes 255, then below 0 becomes 0.
int32_t clampComponent(long double value)
{
    if (value > 255) return 255;
    if (!(value >= 0)) return 0;
    return static_cast<int32_t>(value);
}

struct Tone {
    double contrast, offset, saturation;

    Colour apply(const Colour& c) const
    {
        long double b1 = std::trunc(c.b * static_cast<long double>(contrast) + offset);
        long double g1 = std::trunc(c.g * static_cast<long double>(contrast) + offset);
        long double r1 = std::trunc(c.r * static_cast<long double>(contrast) + offset);
        double lum = static_cast<double>(0.15L * b1 + 0.3L * r1 + 0.55L * g1);
        return {clampComponent(std::trunc((b1 - lum) * saturation + lum)),
                clampComponent(std::trunc((g1 - lum) * saturation + lum)),
                clampComponent(std::trunc((r1 - lum) * saturation + lum))};
    }
};

void samplePicture(TForm1& form)
{
    const double sx = static_cast<double>(form.cropWidth / 256.0L);
    const double sy = static_cast<double>(form.cropHeight / 192.0L);
    const double offset = static_cast<double>(256.0L * form.brightness - 128.0L * (form.contrast - 1.0L));
    const Tone tone{form.contrast, offset, form.saturation};
    Bitmap normBitmap(screenWidth, screenHeight);
    for (int y = 0; y < screenHeight; ++y) {
        long double v = std::trunc(static_cast<long double>(y) * sy + form.cropY);
        for (int x = 0; x < screenWidth; ++x) {
            long double u = std::trunc(static_cast<long double>(x) * sx + form.cropX);
            Colour c = tone.apply(sourcePixel(form.srcBitmap, u, v));
            form.workB[y][x] = c.b;
            form.workG[y][x] = c.g;
            form.workR[y][x] = c.r;
            normBitmap.setPixel(x, y, packColour(c));
        }
    }
    form.normBitmap = std::move(normBitmap);
    form.imFrom.picture = form.normBitmap;
}

}  // namespace

void TForm1::edBrightnessChange()
{
    readPreparationSettings(*this);
    reloadPalette(*this);
    if (picName != loadedName && !decodePicture(*this)) return;
    samplePicture(*this);
}

}  // namespace dw
