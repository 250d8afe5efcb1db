#include "export/basic.h"

#include <array>
#include <cctype>
#include <iterator>

namespace dw {

namespace {

struct Keyword {
    std::string_view text;
    uint8_t token;
};

constexpr std::array<Keyword, 9> keywords{{
    {"SCREEN$", 0xAA},
    {"CODE", 0xAF},
    {"USR", 0xC0},
    {"OUT", 0xDF},
    {"BORDER", 0xE7},
    {"LOAD", 0xEF},
    {"PAUSE", 0xF2},
    {"RANDOMIZE", 0xF9},
    {"CLEAR", 0xFD},
}};

constexpr uint8_t numberMarker = 0x0E;
constexpr uint8_t enter = 0x0D;

// Whole numbers 0..65535 in the five-byte form: 0, sign, low, high, 0.
void appendNumber(std::vector<uint8_t>& line, std::string_view digits)
{
    unsigned value = 0;
    for (const char d : digits) value = value * 10 + static_cast<unsigned>(d - '0');
    line.insert(line.end(), digits.begin(), digits.end());
    line.insert(line.end(), {numberMarker, 0, 0, static_cast<uint8_t>(value & 0xFF),
                             static_cast<uint8_t>((value >> 8) & 0xFF), 0});
}

}  // namespace

std::vector<uint8_t> basicLine(uint16_t number, std::string_view text)
{
    std::vector<uint8_t> body;
    bool inString = false;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"') inString = !inString;
        if (inString || c == '"') {
            body.push_back(static_cast<uint8_t>(c));
            ++i;
            continue;
        }
        if (c == ' ') {
            ++i;
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t end = i;
            while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
            appendNumber(body, text.substr(i, end - i));
            i = end;
            continue;
        }
        bool matched = false;
        for (const Keyword& keyword : keywords)
            if (text.substr(i, keyword.text.size()) == keyword.text) {
                body.push_back(keyword.token);
                i += keyword.text.size();
                matched = true;
                break;
            }
        if (!matched) body.push_back(static_cast<uint8_t>(text[i++]));
    }
    body.push_back(enter);

    const uint8_t head[4] = {static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number & 0xFF),
                             static_cast<uint8_t>(body.size() & 0xFF), static_cast<uint8_t>(body.size() >> 8)};
    body.insert(body.begin(), std::begin(head), std::end(head));
    return body;
}

}  // namespace dw
