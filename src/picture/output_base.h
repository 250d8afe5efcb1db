#pragma once
// The name every output file is built from: the picture's name without its
// last "." and what follows it.

#include <string>

namespace dw {

// Deletes characters from the end until a "." has been deleted or nothing is
// left, so "C:\a.b\photo" gives "C:\a" and a name without a "." gives "".
std::string outputBase(const std::string& picName);

}  // namespace dw
