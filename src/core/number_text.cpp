#include "core/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace dw {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [sign] (digits [. digits] | . digits) [e [sign] digits]
bool isDecimalSyntax(const std::string& s)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t intDigits = 0, fracDigits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++intDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

}  // namespace

std::optional<double> parseDecimal(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    std::string s = text.substr(first, last - first);
    if (!isDecimalSyntax(s)) return std::nullopt;
    const char* begin = s.c_str();
    if (*begin == '+') ++begin;
    double value = 0;
    auto [end, ec] = std::from_chars(begin, s.c_str() + s.size(), value);
    if (ec != std::errc() || end != s.c_str() + s.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

void parseInto(const std::string& text, double& value)
{
    if (auto parsed = parseDecimal(text)) value = *parsed;
}

std::string formatGeneral(double value)
{
    if (value == 0) return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string s = buffer;
    // "1.5E-05" -> "1.5E-5", "1E+20" -> "1E20"
    size_t e = s.find('E');
    if (e == std::string::npos) return s;
    std::string mantissa = s.substr(0, e);
    std::string exponent = s.substr(e + 1);
    bool negative = exponent[0] == '-';
    size_t digits = exponent.find_first_not_of("+-0");
    return mantissa + "E" + (negative ? "-" : "") + (digits == std::string::npos ? "0" : exponent.substr(digits));
}

}  // namespace dw
