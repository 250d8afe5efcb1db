// Choosing the picture and the rectangle of it that becomes the screen: the
// picture dialog, the four framing edits with the 3:4 lock, framing clicks in
// the full-size view, and the button hiding the picture views.

#include <optional>
#include <string>

#include "core/form.h"
#include "core/number_text.h"
#include "picture/output_base.h"

namespace dw {

void TForm1::btOpenClick()
{
    btSaveDraw.enabled = false;
    retouchOn = false;
    if (std::optional<std::string> chosen = dialogs_.choosePicture(workFolder)) {
        openPictureFile(*chosen);
        return;
    }
    edBrightnessChange();
}

void TForm1::openPictureFile(const std::string& name)
{
    btSaveDraw.enabled = false;
    retouchOn = false;
    picName = cutName(name);
    enterFolderOf(name);
    outBase = outputBase(picName);
    prepareUnlessHeld();
}

// With the 3:4 lock, a new width sets the height, whose handler sets the
// width back from it; the chain stops once a text comes back unchanged.
void TForm1::edWidthChange()
{
    if (cropLock) return;
    parseInto(edWidth.text, cropWidth);
    if (cbFix.checked) {
        cropHeight = static_cast<double>(static_cast<long double>(cropWidth) * 3 / 4);
        setText(edHeight, formatGeneral(cropHeight));
    }
    prepareUnlessHeld();
}

void TForm1::edHeightChange()
{
    if (cropLock) return;
    parseInto(edHeight.text, cropHeight);
    if (cbFix.checked) {
        cropWidth = static_cast<double>(static_cast<long double>(cropHeight) * 4 / 3);
        setText(edWidth, formatGeneral(cropWidth));
    }
    prepareUnlessHeld();
}

void TForm1::edXminChange()
{
    if (cropLock) return;
    parseInto(edXmin.text, cropX);
    parseInto(edYmin.text, cropY);
    prepareUnlessHeld();
}

// The left button sets the top-left corner, any other the bottom-right one.
// The edits' handlers are muted meanwhile, so the 3:4 lock does not apply
// and the picture is prepared once per click.
void TForm1::Image1MouseDown(MouseButton button, int x, int y)
{
    cropLock = true;
    if (button == MouseButton::left) {
        cropX = x;
        cropY = y;
        setText(edXmin, formatGeneral(cropX));
        setText(edYmin, formatGeneral(cropY));
    } else {
        cropWidth = static_cast<double>(x - static_cast<long double>(cropX));
        cropHeight = static_cast<double>(y - static_cast<long double>(cropY));
        setText(edWidth, formatGeneral(cropWidth));
        setText(edHeight, formatGeneral(cropHeight));
    }
    prepareUnlessHeld();
    cropLock = false;
}

void TForm1::Image1MouseMove(int x, int y)
{
    lbIP1.caption = "X=" + std::to_string(x) + ";Y=" + std::to_string(y);
}

void TForm1::Button1Click()
{
    for (ImageView* view : {&imFrom, &imTo, &Image1}) view->visible = !view->visible;
}

}  // namespace dw
