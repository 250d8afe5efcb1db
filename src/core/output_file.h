#pragma once
// Writing an output file exactly where its name points, so that a reader
// never sees it half written and a failed write never harms the file that was
// there.

#include <cstdint>
#include <span>
#include <string>

#include "base/result.h"

namespace dw {

// Writes `bytes` to `name`, or fails with the reason as a short sentence.
// - A regular file, a name not yet taken, or a symbolic link to either is
//   replaced through a fresh temporary file in the folder of the file the
//   links end at; the replacement keeps the old file's permission bits and
//   owner. On failure the temporary file is removed and the old file keeps
//   its bytes.
// - A FIFO or character device (a pipe, a terminal, /dev/stdout, /dev/null)
//   is written directly.
// - Anything else (a folder, a block device, a socket) is refused.
// A file-size limit or a pipe whose reader has gone is reported as a failure
// ("File too large", "Broken pipe") instead of ending the process.
Status writeFileAtomically(const std::string& name, std::span<const uint8_t> bytes);

}  // namespace dw
