#pragma once
// One export, from screen files to the bytes of the file asked for; the
// command line and the window both come through here.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "export/screen_exports.h"

namespace dw {

enum class ExportTarget {
    tape,       // ".tap"
    snapshot,   // ".z80"
    assembler,  // ".asm"
    cHeader,    // ".h"
};

// By the text after the last "." of the name, all lower or all upper case.
std::optional<ExportTarget> exportTargetOf(const std::string& outputName);
// Tapes and snapshots need a machine that shows the screens; includes take any file.
constexpr bool needsDisplay(ExportTarget target) { return target == ExportTarget::tape || target == ExportTarget::snapshot; }

struct ExportScreen {
    std::string fileName;
    std::vector<uint8_t> bytes;       // as the machine shows them, or for includes the file's own bytes
    std::optional<Display> display;   // none: no machine shows this kind of file
};

// The bytes of the export, or why these screens cannot make it.
Result<std::vector<uint8_t>> exportFile(ExportTarget target, std::span<const ExportScreen> screens,
                                        const std::string& outputName);

}  // namespace dw
