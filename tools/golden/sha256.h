#pragma once
// SHA-256 of a byte block, as 64 lower-case hex digits.

#include <cstdint>
#include <span>
#include <string>

namespace dw {

std::string sha256Hex(std::span<const uint8_t> bytes);

}  // namespace dw
