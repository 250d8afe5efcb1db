#pragma once
// Settings travel as edit texts: decimal numbers with a point, shown in the
// general format (shortest form, at most 15 significant digits, whole numbers
// without a point).

#include <optional>
#include <string>

namespace dw {

// Parses a decimal number; surrounding blanks are allowed, anything else that
// is not part of the number makes the text unparsable.
std::optional<double> parseDecimal(const std::string& text);

// Parses `text` into `value`, leaving `value` unchanged when it does not parse.
void parseInto(const std::string& text, double& value);

std::string formatGeneral(double value);

}  // namespace dw
