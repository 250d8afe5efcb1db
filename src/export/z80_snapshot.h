#pragma once
// ".z80" snapshots, version 3: a 30-byte header with the registers, 56 more
// bytes for the machine and its ports, then each 16K memory page as three
// bytes (compressed length, page number) and the page compressed by the
// format's run-length code.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace dw {

using MemoryBank = std::array<uint8_t, 16384>;

enum class SnapshotMachine {
    spectrum48,   // banks: 0x4000, 0x8000, 0xc000
    spectrum128,  // banks: RAM banks 0..7
    tc2048,       // banks as the 48K
};

// What the processor and the ports hold when the snapshot starts; every
// register not named here starts at zero.
struct SnapshotState {
    SnapshotMachine machine = SnapshotMachine::spectrum48;
    uint16_t pc = 0, sp = 0, iy = 0x5C3A;
    uint8_t i = 0x3F;
    uint8_t interruptMode = 1;
    bool interruptsOn = false;
    uint8_t border = 0;
    uint8_t port7ffd = 0;  // 128K paging and shown screen
    uint8_t portFF = 0;    // Timex screen mode
};

// The banks must number 3 for the 48K and the TC2048, 8 for the 128K.
std::vector<uint8_t> z80Snapshot(const SnapshotState& state, std::span<const MemoryBank> banks);

// The format's code: runs of five or more equal bytes, and runs of two or
// more 0xED, become ED ED count byte; the byte after a lone ED is never
// part of a run.
std::vector<uint8_t> z80Compressed(std::span<const uint8_t> bytes);

}  // namespace dw
