#include "zxfiles/screen_kind.h"

namespace dw {

ScreenKind screenKindOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    if (extension == "scr" || extension == "SCR") return ScreenKind::scr;
    if (extension == "mcx" || extension == "MCX") return ScreenKind::mcx;
    if (extension == "mc" || extension == "MC") return ScreenKind::mc;
    if (extension == "img" || extension == "IMG") return ScreenKind::img;
    if (extension == "emg" || extension == "EMG") return ScreenKind::emg;
    return ScreenKind::none;
}

}  // namespace dw
