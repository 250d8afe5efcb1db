#pragma once
// Which screen file a name stands for, as the loader decides it: by the text
// after the last "." (the whole name when it has none), matched exactly in
// all lower or all upper case. "Scr" is no screen file.

#include <string>

namespace dw {

enum class ScreenKind { none, scr, mcx, mc, img, emg };

ScreenKind screenKindOf(const std::string& name);

}  // namespace dw
