// The "Pal" button: the palette dialog, then a preparation, which reloads the
// palette from the chosen file.

#include <optional>
#include <string>

#include "core/form.h"

namespace dw {

void TForm1::Button2Click()
{
    btSaveDraw.enabled = false;
    retouchOn = false;
    if (std::optional<std::string> chosen = dialogs_.choosePalette(workFolder)) {
        palName = cutName(*chosen);
        enterFolderOf(*chosen);
    }
    edBrightnessChange();
}

}  // namespace dw
