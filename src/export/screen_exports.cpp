#include "export/screen_exports.h"

#include <algorithm>
#include <string>

#include "colour/helpers.h"
#include "export/basic.h"
#include "export/tape.h"
#include "export/z80_snapshot.h"
#include "z80/gigascreen.h"
#include "z80/stop.h"

namespace dw {

namespace {

constexpr size_t standardBytes = 6912;
constexpr size_t bitmapBytes = 6144;
constexpr uint16_t screenAddress = 16384;
constexpr uint16_t timexAttributes = 24576;  // hi-colour: one attribute per bitmap byte, 8192 bytes on
constexpr uint16_t firstLine = 10;
constexpr uint16_t lineStep = 10;
constexpr uint8_t timexHiColour = 2;  // port 0xff
constexpr uint8_t paging128 = 0x10;   // ROM 1, bank 0 at 0xc000, normal screen
constexpr uint16_t stackTop = 0xC000;  // pushes land in the bank at 0x8000

std::span<const uint8_t> firstScreen(std::span<const uint8_t> pair) { return pair.first(standardBytes); }
std::span<const uint8_t> secondScreen(std::span<const uint8_t> pair) { return pair.subspan(standardBytes, standardBytes); }

// The ".mc" bitmap or attributes (line order) in the order the Timex
// addresses them: row y at 32 * zxline(y), as a standard bitmap.
std::vector<uint8_t> timexOrder(std::span<const uint8_t> rows)
{
    std::vector<uint8_t> out(bitmapBytes);
    for (int y = 0; y < 192; ++y)
        std::copy_n(rows.begin() + 32 * y, 32, out.begin() + 32 * zxline(y));
    return out;
}

struct Loader {
    std::vector<uint8_t> program;
    uint16_t next = firstLine;
    void line(const std::string& text)
    {
        const std::vector<uint8_t> bytes = basicLine(next, text);
        program.insert(program.end(), bytes.begin(), bytes.end());
        next = static_cast<uint16_t>(next + lineStep);
    }
};

void place(MemoryBank& bank, size_t offset, std::span<const uint8_t> bytes)
{
    std::copy(bytes.begin(), bytes.end(), bank.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

size_t displayBytes(Display display)
{
    switch (display) {
    case Display::standard: return standardBytes;
    case Display::gigascreen: return 2 * standardBytes;
    case Display::hiColour: return 2 * bitmapBytes;
    }
    return 0;
}

// Each LOAD prints its block's name in the bottom lines of the normal screen
// before the bytes arrive, so the block loaded last is always one that
// covers those lines: the message is gone before the key wait starts.
std::vector<uint8_t> screenTape(Display display, std::span<const NamedScreen> screens, const std::string& tapeFileName)
{
    const std::string loaderName = tapeName(tapeFileName);
    const std::string number = std::to_string(z80::gigascreen::second_screen);
    Loader loader;
    std::vector<uint8_t> blocks;
    switch (display) {
    case Display::standard:
        loader.line("BORDER 0");
        for (const NamedScreen& screen : screens) {
            loader.line("LOAD \"\"SCREEN$ : PAUSE 0");
            appendCode(blocks, tapeName(screen.fileName), screen.bytes, screenAddress);
        }
        break;
    case Display::gigascreen:
        // The second screen waits in bank 2 until the code copies it into bank 7.
        loader.line("BORDER 0: CLEAR " + std::to_string(z80::gigascreen::origin - 1) + ": LOAD \"\"CODE");
        appendCode(blocks, loaderName, z80::gigascreen::bytes, z80::gigascreen::origin);
        for (const NamedScreen& screen : screens) {
            loader.line("LOAD \"\"CODE " + number + ": LOAD \"\"SCREEN$ : RANDOMIZE USR " +
                        std::to_string(z80::gigascreen::show_pair));
            const std::string name = tapeName(screen.fileName);
            appendCode(blocks, name, secondScreen(screen.bytes), z80::gigascreen::second_screen);
            appendCode(blocks, name, firstScreen(screen.bytes), screenAddress);
        }
        break;
    case Display::hiColour:
        // CLEAR keeps BASIC's stack and workspace below the attributes.
        loader.line("BORDER 0: CLEAR " + std::to_string(timexAttributes - 1));
        for (const NamedScreen& screen : screens) {
            loader.line("LOAD \"\"CODE " + std::to_string(timexAttributes) + ": LOAD \"\"CODE " +
                        std::to_string(screenAddress) + ": OUT 255," + std::to_string(timexHiColour) + ": PAUSE 0");
            const std::string name = tapeName(screen.fileName);
            const std::span<const uint8_t> bytes = screen.bytes;
            appendCode(blocks, name, timexOrder(bytes.subspan(bitmapBytes, bitmapBytes)), timexAttributes);
            appendCode(blocks, name, timexOrder(bytes.first(bitmapBytes)), screenAddress);
        }
        break;
    }
    std::vector<uint8_t> tape;
    appendProgram(tape, loaderName, loader.program, firstLine);
    tape.insert(tape.end(), blocks.begin(), blocks.end());
    return tape;
}

std::vector<uint8_t> screenSnapshot(Display display, std::span<const uint8_t> screen)
{
    SnapshotState state;
    state.sp = stackTop;
    if (display == Display::gigascreen) {
        // Banks 5 and 7 hold the screens, bank 2 (0x8000) the flipping code.
        std::vector<MemoryBank> banks(8, MemoryBank{});
        place(banks[5], 0, firstScreen(screen));
        place(banks[7], 0, secondScreen(screen));
        place(banks[2], z80::gigascreen::origin - 0x8000, z80::gigascreen::bytes);
        state.machine = SnapshotMachine::spectrum128;
        state.pc = z80::gigascreen::forever;
        state.i = static_cast<uint8_t>(z80::gigascreen::vectors >> 8);
        state.interruptMode = 2;
        state.interruptsOn = true;
        state.port7ffd = paging128;
        return z80Snapshot(state, banks);
    }
    std::vector<MemoryBank> banks(3, MemoryBank{});
    if (display == Display::standard) {
        place(banks[0], 0, screen);
        state.machine = SnapshotMachine::spectrum48;
    } else {
        place(banks[0], 0, timexOrder(screen.first(bitmapBytes)));
        place(banks[0], timexAttributes - screenAddress, timexOrder(screen.subspan(bitmapBytes, bitmapBytes)));
        state.machine = SnapshotMachine::tc2048;
        state.portFF = timexHiColour;
    }
    place(banks[1], z80::stop::origin - 0x8000, z80::stop::bytes);
    state.pc = z80::stop::stop;
    return z80Snapshot(state, banks);
}

}  // namespace dw
