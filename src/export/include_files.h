#pragma once
// A file's bytes as source for someone's own program: an assembler include
// that z80asm and pasmo both read, or a C array.

#include <cstdint>
#include <span>
#include <string>

namespace dw {

// A C identifier, and so an assembler label, from a file name: the name
// without its folder, every character other than a letter or digit as "_",
// and "_" in front when it would start with a digit. "photo.scr" gives
// "photo_scr"; the extension keeps the name clear of register names.
std::string identifierOf(const std::string& fileName);

// "label:", defb lines of 16 decimal bytes, then "label_len: equ N".
std::string assemblerInclude(const std::string& label, std::span<const uint8_t> bytes);
// "const unsigned char name[N] = {...};" in lines of 16 bytes, then
// "const unsigned int name_len = N;".
std::string cArray(const std::string& name, std::span<const uint8_t> bytes);

}  // namespace dw
