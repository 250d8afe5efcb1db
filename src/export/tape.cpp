#include "export/tape.h"

#include <filesystem>

namespace dw {

namespace {

enum HeaderType : uint8_t { programHeader = 0, codeHeader = 3 };

constexpr uint8_t headerFlag = 0x00;
constexpr uint8_t dataFlag = 0xFF;

void appendWord(std::vector<uint8_t>& bytes, size_t value)
{
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

// Type, ten name characters, data length, two parameters: 17 bytes.
void appendHeader(std::vector<uint8_t>& tape, HeaderType type, const std::string& name, size_t length,
                  uint16_t parameter1, uint16_t parameter2)
{
    std::vector<uint8_t> header{type};
    for (size_t i = 0; i < tapeNameLength; ++i) header.push_back(static_cast<uint8_t>(i < name.size() ? name[i] : ' '));
    appendWord(header, length);
    appendWord(header, parameter1);
    appendWord(header, parameter2);
    appendTapeBlock(tape, headerFlag, header);
}

}  // namespace

std::string tapeName(const std::string& fileName)
{
    const std::string stem = std::filesystem::path(fileName).stem().string();
    std::string name;
    for (const char c : stem) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xC0) continue;  // a UTF-8 continuation: one "_" per character
        name += byte >= 0x20 && byte < 0x7F ? c : '_';
        if (name.size() == tapeNameLength) break;
    }
    name.resize(tapeNameLength, ' ');
    return name;
}

void appendTapeBlock(std::vector<uint8_t>& tape, uint8_t flag, std::span<const uint8_t> data)
{
    appendWord(tape, data.size() + 2);
    tape.push_back(flag);
    uint8_t checksum = flag;
    for (const uint8_t byte : data) checksum ^= byte;
    tape.insert(tape.end(), data.begin(), data.end());
    tape.push_back(checksum);
}

void appendProgram(std::vector<uint8_t>& tape, const std::string& name, std::span<const uint8_t> program,
                   uint16_t autostartLine)
{
    // The second parameter is where the variables start: here, at the end.
    appendHeader(tape, programHeader, name, program.size(), autostartLine, static_cast<uint16_t>(program.size()));
    appendTapeBlock(tape, dataFlag, program);
}

void appendCode(std::vector<uint8_t>& tape, const std::string& name, std::span<const uint8_t> bytes, uint16_t start)
{
    appendHeader(tape, codeHeader, name, bytes.size(), start, 32768);
    appendTapeBlock(tape, dataFlag, bytes);
}

}  // namespace dw
