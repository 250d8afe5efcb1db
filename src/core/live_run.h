#pragma once
// A run's conversion without its file, memo line or timing: everything a run
// of one mode reads, copied out of the form so that another thread can
// convert it while the form changes on, and the previews that run shows.

#include <vector>

#include "base/bitmap.h"
#include "base/screen.h"
#include "modes/conversion.h"

namespace dw {

struct Mode;

// Self-contained: nothing in it refers to the form it was taken from.
struct LiveInput {
    const Mode* mode = nullptr;
    ModeSettings settings;
    PictureState picture;  // prepared, with the reference copy the run takes
    Palette palette;
    Tables tables;
    ScreenState screen;  // the form's, so what the converter leaves alone is as the run finds it
    Scratch scratch;
};

// The bitmaps of the mode's previews, in their order, and the screens shown.
struct LiveResult {
    const Mode* mode = nullptr;
    std::vector<Bitmap> previews;
    ScreenBuffer scr1{}, scr2{};
};

// Converts `input` in place, touching nothing outside it.
LiveResult convertLive(LiveInput& input);

}  // namespace dw
