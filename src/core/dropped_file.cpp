// A file dropped on the window goes where its name says: screen files to the
// loader (so a dropped ".scr" is never opened as a picture and later
// overwritten), pictures to the preparation.

#include "core/form.h"
#include "readers/picture_loader.h"
#include "zxfiles/screen_kind.h"

namespace dw {

bool TForm1::dropOpensPicture(const std::string& name)
{
    return screenKindOf(name) == ScreenKind::none && namesAPicture(name);
}

void TForm1::dropFile(const std::string& name)
{
    if (screenKindOf(name) != ScreenKind::none)
        loadScreenFile(name);
    else if (dropOpensPicture(name))
        openPictureFile(name);
    else
        addMemoLine("cannot open " + name + ": not a picture or a Spectrum screen file");
}

}  // namespace dw
