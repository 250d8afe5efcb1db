#pragma once
// The seven screen modes in one table: what the command line offers, what
// the golden record, the benchmarks and the tests run. A new mode is a
// converter, a layout writer and one row here.

#include <string>
#include <vector>

#include "core/form.h"
#include "modes/conversion.h"

namespace dw {

struct ModePreview {
    const char* view;  // the window's name for the view
    ImageView TForm1::*picture;
    Bitmap ScreenState::*shows;  // the bitmap the run puts into the view
};

struct Mode {
    const char* name;                     // as the command line takes it
    const char* caption;                  // the window's button
    Handler run;                          // the button's handler
    Converter convert;                    // the converter the run calls
    std::vector<const char*> extensions;  // of the screen file, the usual one first
    std::vector<const char*> sideFiles;   // made beside it, in the working folder
    std::vector<ModePreview> previews;    // the views the run draws
    std::vector<const char*> tables;      // table files its run may read
    bool defaultPalette = false;          // converts with the default palette, whatever is chosen
};

const std::vector<Mode>& modeTable();

// The row of that name, or nullptr.
const Mode* modeNamed(const std::string& name);

// "6912, giga, ...": every mode's name, in table order.
std::string modeNames();

}  // namespace dw
