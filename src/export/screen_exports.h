#pragma once
// Tapes and snapshots that show screens on the machine that can show them:
// a standard screen on a 48K Spectrum, a gigascreen pair on a 128K (the two
// screens on alternate frames), a multicolor screen on a Timex TC2048 in
// its hi-colour mode.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dw {

enum class Display {
    standard,    // a ".scr": 6912 bytes
    gigascreen,  // two standard screens one after the other: 13824 bytes
    hiColour,    // an ".mc": 6144 bitmap bytes, 6144 attributes, in line order
};

size_t displayBytes(Display display);

struct NamedScreen {
    std::string fileName;  // gives the screen's blocks their tape name
    std::vector<uint8_t> bytes;
};

// A BASIC loader named after `tapeFileName` that shows the screens one after
// another, the next on each key press, with a black border. The screens hold
// displayBytes(display) bytes each.
std::vector<uint8_t> screenTape(Display display, std::span<const NamedScreen> screens, const std::string& tapeFileName);
// A snapshot of the machine showing the screen, its program already running.
std::vector<uint8_t> screenSnapshot(Display display, std::span<const uint8_t> screen);

}  // namespace dw
