#pragma once
// The screen files the command line reads: every layout the converters
// write, told apart by extension (all lower or all upper case, as the
// loader matches them), each with its one size.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "export/screen_exports.h"

namespace dw::cli {

enum class ScreenFileKind { scr, img, emg, mc, mcx, eightColour, rMode, r48 };

struct ScreenFileType {
    ScreenFileKind kind;
    const char* extension;
    size_t bytes;
    std::optional<Display> display;  // the machine picture it makes, if a machine shows it
    bool loaded;                     // the window's "load" reads it
};

// Nothing when the name's extension is none of them.
const ScreenFileType* screenFileTypeOf(const std::string& name);
// "scr, img, emg, mc, mcx, 3, rm or r48": for messages.
std::string screenFileExtensions();

// The whole file, refused with a sentence naming it when it cannot be read or
// is not of its kind's size.
Result<std::vector<uint8_t>> readScreenFile(const std::string& name, const ScreenFileType& type);

}  // namespace dw::cli
