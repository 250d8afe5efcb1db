#include "export/z80_snapshot.h"

namespace dw {

namespace {

constexpr size_t mainHeaderSize = 30;
constexpr size_t extraHeaderSize = 54;  // version 3

enum HardwareMode : uint8_t { hardware48 = 0, hardware128 = 4, hardwareTc2048 = 14 };

void putWord(std::vector<uint8_t>& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// A page's number in the file: 48K banks are pages 8, 4, 5; 128K bank n is page n + 3.
uint8_t pageNumber(SnapshotMachine machine, size_t bank)
{
    static constexpr uint8_t pages48[3] = {8, 4, 5};
    return machine == SnapshotMachine::spectrum128 ? static_cast<uint8_t>(bank + 3) : pages48[bank];
}

}  // namespace

std::vector<uint8_t> z80Compressed(std::span<const uint8_t> bytes)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t value = bytes[i];
        size_t run = 1;
        while (i + run < bytes.size() && bytes[i + run] == value && run < 255) ++run;
        if (run >= 5 || (value == 0xED && run >= 2)) {
            out.insert(out.end(), {0xED, 0xED, static_cast<uint8_t>(run), value});
            i += run;
        } else if (value == 0xED) {
            out.push_back(0xED);
            if (i + 1 < bytes.size()) out.push_back(bytes[i + 1]);
            i += 2;
        } else {
            out.push_back(value);
            ++i;
        }
    }
    return out;
}

std::vector<uint8_t> z80Snapshot(const SnapshotState& state, std::span<const MemoryBank> banks)
{
    std::vector<uint8_t> file(mainHeaderSize + 2 + extraHeaderSize, 0);
    // Bytes 0..29: A, F, BC, HL, PC (0: the real PC follows), SP, I, R, flags, DE, the
    // other set, IY, IX, IFF1, IFF2, interrupt mode.
    putWord(file, 8, state.sp);
    file[10] = state.i;
    file[12] = static_cast<uint8_t>((state.border & 7) << 1);
    putWord(file, 23, state.iy);
    file[27] = file[28] = state.interruptsOn ? 1 : 0;
    file[29] = state.interruptMode & 3;

    putWord(file, 30, extraHeaderSize);
    putWord(file, 32, state.pc);
    switch (state.machine) {
    case SnapshotMachine::spectrum48: file[34] = hardware48; break;
    case SnapshotMachine::spectrum128:
        file[34] = hardware128;
        file[35] = state.port7ffd;
        break;
    case SnapshotMachine::tc2048:
        file[34] = hardwareTc2048;
        file[36] = state.portFF;
        break;
    }
    // Bytes 55..57 count T-states in quarter frames; 0x00FF and 3 mean the frame's start.
    putWord(file, 55, 0x00FF);
    file[57] = 3;

    for (size_t bank = 0; bank < banks.size(); ++bank) {
        const std::vector<uint8_t> packed = z80Compressed(banks[bank]);
        const size_t at = file.size();
        file.resize(at + 3);
        putWord(file, at, static_cast<uint16_t>(packed.size()));
        file[at + 2] = pageNumber(state.machine, bank);
        file.insert(file.end(), packed.begin(), packed.end());
    }
    return file;
}

}  // namespace dw
