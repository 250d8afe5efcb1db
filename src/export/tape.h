#pragma once
// ".tap" tapes as the ROM's SAVE writes them: each block is its length (two
// bytes, low first), a flag byte (0 header, 255 data), the data and a
// checksum, the XOR of the flag and every data byte.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dw {

inline constexpr size_t tapeNameLength = 10;

// The name a header carries: the file name without its folder and its last
// extension, cut or padded with spaces to ten characters; a character
// outside printable ASCII becomes "_".
std::string tapeName(const std::string& fileName);

void appendTapeBlock(std::vector<uint8_t>& tape, uint8_t flag, std::span<const uint8_t> data);
// A BASIC program that runs from `autostartLine` once loaded, after its header.
void appendProgram(std::vector<uint8_t>& tape, const std::string& name, std::span<const uint8_t> program,
                   uint16_t autostartLine);
// Bytes that LOAD ""CODE puts at `start`, after their header.
void appendCode(std::vector<uint8_t>& tape, const std::string& name, std::span<const uint8_t> bytes, uint16_t start);

}  // namespace dw
