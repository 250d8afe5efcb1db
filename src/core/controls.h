#pragma once
// The window's controls held as plain data. The core owns their values; a
// view mirrors them into widgets and forwards widget events to the handlers.

#include <string>
#include <vector>

#include "base/bitmap.h"

namespace dw {

class TForm1;
using Handler = void (TForm1::*)();

struct Edit {
    std::string text;
    Handler onChange = nullptr;
    bool enabled = true;
};

struct CheckBox {
    bool checked = false;
    Handler onClick = nullptr;
};

struct Button {
    bool enabled = true;
};

struct Label {
    std::string caption;
};

struct UpDown {
    int position = 8;
    int min = 1;
    int max = 20;
};

struct Memo {
    std::vector<std::string> lines;
};

// A picture view: shows its own copy of a bitmap, unscaled.
struct ImageView {
    Bitmap picture;
    bool visible = true;
};

enum class MouseButton { left = 0, right = 1, middle = 2 };

struct HeldButtons {
    bool left = false;
    bool right = false;
    bool middle = false;
};

}  // namespace dw
