// All settings at once, for callers without a window: the end state of the
// window's handler chain with one decode and no sampling.

#include "core/form.h"

namespace dw {

void TForm1::takeSettings(const FormSettings& settings)
{
    preparationHeld_ = true;
    FormCreate();
    for (const auto& [box, checked] : settings.boxes) (this->*box).checked = checked;
    for (const auto& [edit, text] : settings.texts) (this->*edit).text = text;
    edDithLevelChange();
    openPictureFile(settings.picture);
    if (decodeChosenPicture() && settings.crop) {
        const FormSettings::Corners& crop = *settings.crop;
        Image1MouseDown(MouseButton::left, crop.left, crop.top);
        Image1MouseDown(MouseButton::right, crop.right, crop.bottom);
    }
    if (settings.palette) {
        palName = cutName(*settings.palette);
        enterFolderOf(*settings.palette);
    }
    preparationHeld_ = false;
}

}  // namespace dw
