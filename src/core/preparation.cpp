// The picture preparation: settings from the edits, the palette reload, the
// decode of a newly chosen picture, then the sampling into the work planes.

#include <optional>
#include <string>
#include <utility>

#include "core/form.h"
#include "core/number_text.h"
#include "picture/palette_file.h"
#include "picture/preparation.h"
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
// 3:4 lock.
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

// Decodes `picName` into `srcBitmap`, or takes `ahead`, its decode made
// beforehand. Returns false when the decoder failed: the failure is in the
// memo and `pictureError`, and the picture is empty.
bool decodePicture(TForm1& form, std::optional<Result<Bitmap>> ahead)
{
    form.srcBitmap = Bitmap();
    form.loadedName = form.picName;
    form.addMemoLine(form.picName);
    Result<Bitmap> load = ahead ? std::move(*ahead) : loadPicture(form.picName);
    if (!load) {
        form.pictureError = load.error();
        form.addMemoLine("cannot read picture: " + load.error());
        return false;
    }
    form.pictureError.clear();
    form.srcBitmap = std::move(*load);
    form.addMemoLine(std::to_string(form.srcBitmap.width()) + "x" + std::to_string(form.srcBitmap.height()));
    resetCropToPicture(form);
    return true;
}

}  // namespace

void TForm1::holdDecodedPicture(std::string name, Result<Bitmap> picture)
{
    decodedAhead_.emplace(std::move(name), std::move(picture));
}

bool TForm1::decodeChosenPicture()
{
    std::optional<std::pair<std::string, Result<Bitmap>>> ahead = std::exchange(decodedAhead_, std::nullopt);
    if (picName == loadedName) return true;
    const bool held = std::exchange(preparationHeld_, true);
    std::optional<Result<Bitmap>> picture;
    if (ahead && ahead->first == picName) picture.emplace(std::move(ahead->second));
    ahead.reset();
    const bool decoded = decodePicture(*this, std::move(picture));
    preparationHeld_ = held;
    return decoded;
}

void TForm1::prepareUnlessHeld()
{
    if (!preparationHeld_) edBrightnessChange();
}

void TForm1::edBrightnessChange()
{
    readPreparationSettings(*this);
    // A palette file gone since it was chosen leaves the palette black, which
    // every preview shows at once; the memo is not filled on every preparation.
    [[maybe_unused]] const Status palette = reloadPalette(palName, palB, palG, palR);
    if (!decodeChosenPicture()) return;
    samplePicture(srcBitmap, {cropX, cropY, cropWidth, cropHeight, brightness, contrast, saturation}, workB, workG,
                  workR, normBitmap);
    imFrom.picture = normBitmap;
}

}  // namespace dw
