#pragma once
// Writing an output file so that a reader never sees it half written and a
// failed write never harms the file that was there.

#include <cstdint>
#include <span>
#include <string>

namespace dw {

// Writes `bytes` to a fresh temporary file in the target's folder and renames
// it over `name`. Returns an empty string on success, otherwise the reason as
// a short sentence; on failure the temporary file is removed and an existing
// `name` keeps its bytes.
std::string writeFileAtomically(const std::string& name, std::span<const uint8_t> bytes);

}  // namespace dw
