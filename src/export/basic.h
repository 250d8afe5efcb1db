#pragma once
// Lines of Spectrum BASIC, tokenised as the ROM's editor stores them, for
// the few keywords a loader needs (BORDER, CLEAR, CODE, LOAD, OUT, PAUSE,
// RANDOMIZE, SCREEN$, USR).

#include <cstdint>
#include <string_view>
#include <vector>

namespace dw {

// One stored line: its number (high byte first), the length of the rest
// (low byte first), the text with each keyword as its token and each number
// followed by 0x0E and its five-byte form, and ENTER (0x0D). Spaces outside
// strings are dropped; the ROM lists them back around the keywords. A
// character that is neither a known keyword nor ASCII is the caller's fault.
std::vector<uint8_t> basicLine(uint16_t number, std::string_view text);

}  // namespace dw
