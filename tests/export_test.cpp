// dapplewright-cli export, checked by readers nobody here wrote: libspectrum
// (the Fuse emulator's library) reads every tape and snapshot, z80ex runs
// their Z80 code over a small machine, and pasmo, z80asm and the C++
// compiler read the includes back.

#include <libspectrum.h>
#include <z80ex/z80ex.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <regex>

#include "colour/helpers.h"
#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {

namespace fs = std::filesystem;
using test::readFile;
using Bytes = std::vector<uint8_t>;

Bytes slice(const Bytes& bytes, size_t from, size_t size) { return {bytes.begin() + from, bytes.begin() + from + size}; }
uint16_t word(const uint8_t* at) { return static_cast<uint16_t>(at[0] + 256 * at[1]); }

// Multicolor rows (line order) in the order the Timex addresses them.
Bytes timexOrder(const Bytes& rows)
{
    Bytes out(6144);
    for (int y = 0; y < 192; ++y) std::copy_n(rows.begin() + 32 * y, 32, out.begin() + 32 * zxline(y));
    return out;
}

int runs(const std::string& command) { return std::system(command.c_str()); }

// The program listed back, one line per line, keywords set off by single
// spaces; a token the loaders do not use lists as "?".
std::string listing(const Bytes& program)
{
    const std::map<uint8_t, std::string> tokens = {
        {0xAA, "SCREEN$"}, {0xAF, "CODE"}, {0xC0, "USR"}, {0xDF, "OUT"}, {0xE7, "BORDER"},
        {0xEF, "LOAD"},    {0xF2, "PAUSE"}, {0xF9, "RANDOMIZE"}, {0xFD, "CLEAR"}};
    std::string text;
    for (size_t at = 0; at + 4 <= program.size();) {
        const size_t end = at + 4 + word(&program[at + 2]);
        EXPECT_TRUE(end <= program.size() && program[end - 1] == 0x0D);
        std::string line = std::to_string(program[at] * 256 + program[at + 1]) + " ", digits;
        for (size_t i = at + 4; i + 1 < end; ++i) {
            const uint8_t c = program[i];
            if (c == 0x0E) {  // the hidden form must hold the number just listed
                EXPECT_EQ(word(&program[i + 3]), std::stoi(digits)) << line;
                i += 5;
            } else {
                line += c < 0xA5 ? std::string(1, static_cast<char>(c)) : " " + (tokens.contains(c) ? tokens.at(c) : "?") + " ";
            }
            digits = std::isdigit(c) ? digits + static_cast<char>(c) : "";
        }
        text += std::regex_replace(line, std::regex(" +( |$)"), "$1") + "\n";
        at = end;
    }
    return text;
}

struct TapeBlock {
    std::string name;
    uint16_t start;
    Bytes bytes;
    bool operator==(const TapeBlock&) const = default;
};

// Every block read by libspectrum: checksums, header fields and the program.
std::vector<TapeBlock> readTape(const Bytes& file, std::string& program)
{
    libspectrum_tape* tape = libspectrum_tape_alloc();
    EXPECT_EQ(libspectrum_tape_read(tape, file.data(), file.size(), LIBSPECTRUM_ID_TAPE_TAP, nullptr), LIBSPECTRUM_ERROR_NONE);
    std::vector<Bytes> raw;
    libspectrum_tape_iterator it;
    for (libspectrum_tape_block* b = libspectrum_tape_iterator_init(&it, tape); b; b = libspectrum_tape_iterator_next(&it)) {
        EXPECT_EQ(libspectrum_tape_block_type(b), LIBSPECTRUM_TAPE_BLOCK_ROM);
        raw.emplace_back(libspectrum_tape_block_data(b), libspectrum_tape_block_data(b) + libspectrum_tape_block_data_length(b));
    }
    libspectrum_tape_free(tape);
    EXPECT_EQ(raw.size() % 2, 0u);
    std::vector<TapeBlock> blocks;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        const Bytes &header = raw[i], &data = raw[i + 1];
        EXPECT_EQ(std::accumulate(header.begin(), header.end(), 0, std::bit_xor()) |
                      std::accumulate(data.begin(), data.end(), 0, std::bit_xor()), 0);
        EXPECT_EQ(header.size(), 19u);
        EXPECT_EQ(header[0] * 1000 + data[0], 255);  // flags: header 0, data 255
        const Bytes payload(data.begin() + 1, data.end() - 1);
        EXPECT_EQ(payload.size(), size_t{word(&header[12])});
        if (header[1] == 0) {  // the program: runs from line 10, no variables
            EXPECT_TRUE(word(&header[14]) == 10 && word(&header[16]) == payload.size());
            program = listing(payload);
        } else {
            EXPECT_EQ(header[1], 3);
            blocks.push_back({std::string(header.begin() + 2, header.begin() + 12), word(&header[14]), payload});
        }
    }
    return blocks;
}

// A Spectrum reduced to what the display needs: 48K or 128K memory with
// paging, the Timex screen-mode port, no key pressed, an interrupt every frame.
struct Machine {
    Machine(bool paged, int frameLength) : paged(paged), frameLength(frameLength)
    {
        rom.fill(0xFF);
        cpu = z80ex_create(
            [](Z80EX_CONTEXT*, Z80EX_WORD a, int, void* m) -> Z80EX_BYTE { return *static_cast<Machine*>(m)->at(a); }, this,
            [](Z80EX_CONTEXT*, Z80EX_WORD a, Z80EX_BYTE v, void* m) { static_cast<Machine*>(m)->write(a, v); }, this,
            [](Z80EX_CONTEXT*, Z80EX_WORD, void*) -> Z80EX_BYTE { return 0xFF; }, this,
            [](Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE v, void* m) { static_cast<Machine*>(m)->out(port, v); }, this,
            [](Z80EX_CONTEXT*, void*) -> Z80EX_BYTE { return 0xFF; }, this);
    }
    ~Machine() { z80ex_destroy(cpu); }

    // Runs one frame; returns the screen shown during it (the interrupt at its end may flip).
    Bytes frame()
    {
        for (int t = 0; t < frameLength || z80ex_last_op_type(cpu) != 0;) t += z80ex_step(cpu);
        const Bytes shown = bank(paged && (port7ffd & 8) ? 7 : 5, 0, 6912);  // bank 7 when port 0x7ffd says so
        z80ex_int(cpu);
        return shown;
    }
    Bytes bank(int number, size_t from, size_t size) const
    {
        return {ram[number].begin() + from, ram[number].begin() + from + size};
    }
    uint8_t* at(uint16_t a)
    {
        if (a < 0x4000) return &rom[a];
        return &ram[a < 0x8000 ? 5 : a < 0xC000 ? 2 : paged ? port7ffd & 7 : 0][a & 0x3FFF];
    }
    void write(uint16_t a, uint8_t v)
    {
        if (a < 0x4000) return;
        for (const int screen : {5, 7})  // Timex attributes too
            screenWrites += at(a) >= &ram[screen][0] && at(a) < &ram[screen][0x3800];
        *at(a) = v;
    }
    void out(uint16_t port, uint8_t v)
    {
        if (paged && (port & 0x8002) == 0) port7ffd = v;
        if ((port & 0xFF) == 0xFF) portFF = v;
    }

    bool paged;
    int frameLength;
    std::array<uint8_t, 16384> rom;
    std::array<std::array<uint8_t, 16384>, 8> ram{};
    uint8_t port7ffd = 0, portFF = 0;
    int screenWrites = 0;
    Z80EX_CONTEXT* cpu;
};

struct Case {
    const char* kind;
    std::vector<std::string> screens;
    std::string listing;
    libspectrum_machine machine;
};

const Case cases[] = {
    {"scr", {"first.scr", "second.scr"}, "10 BORDER 0\n20 LOAD \"\" SCREEN$ : PAUSE 0\n30 LOAD \"\" SCREEN$ : PAUSE 0\n",
     LIBSPECTRUM_MACHINE_48},
    {"img", {"pair.img", "pair.emg"},
     "10 BORDER 0: CLEAR 32767: LOAD \"\" CODE\n"
     "20 LOAD \"\" CODE 36864: LOAD \"\" SCREEN$ : RANDOMIZE USR 32768\n"
     "30 LOAD \"\" CODE 36864: LOAD \"\" SCREEN$ : RANDOMIZE USR 32768\n",
     LIBSPECTRUM_MACHINE_128},
    {"mc", {"hi.mc"}, "10 BORDER 0: CLEAR 24575\n20 LOAD \"\" CODE 24576: LOAD \"\" CODE 16384: OUT 255,2: PAUSE 0\n",
     LIBSPECTRUM_MACHINE_TC2048},
};

// What each screen shows: its file, or the unpacked pair for the .emg.
Bytes shownBytes(const std::string& name) { return readFile(name == "pair.emg" ? "unpacked.img" : name); }

class Export : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* table : {"code256.dat", "deco256.dat", "tablo.dat"}) fs::copy_file(fs::path(DW_DATA) / table, table);
        for (const auto& [name, size, seed] : {std::tuple{"first.scr", 6912, 1}, {"second.scr", 6912, 2},
                                                {"pair.img", 13824, 3}, {"pair.emg", 7680, 4}, {"hi.mc", 12288, 5}}) {
            Bytes bytes(size);
            for (int i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 251 + seed) & 0xFF);
            test::writeFile(name, bytes);
        }
        // The .emg as the loader unpacks it.
        test::Harness window;
        window.dialogs.screen = fs::absolute("pair.emg").string();
        window.form->ImLoadClick();
        fs::current_path(dir.path());
        test::writeFile("unpacked.img", imgFile(window.form->scr1, window.form->scr2));
    }

    test::ScratchDir dir;
};

// The code blocks a tape must hold after its program, in order.
std::vector<TapeBlock> expectedBlocks(const Case& c, const Bytes& gigaCode)
{
    std::vector<TapeBlock> blocks;
    if (c.machine == LIBSPECTRUM_MACHINE_128) blocks.push_back({"slides    ", 32768, gigaCode});
    for (const std::string& screen : c.screens) {
        const Bytes shown = shownBytes(screen);
        const std::string stem = screen.substr(0, screen.find('.')), name = stem + std::string(10 - stem.size(), ' ');
        if (c.machine == LIBSPECTRUM_MACHINE_48) blocks.push_back({name, 16384, shown});
        if (c.machine == LIBSPECTRUM_MACHINE_128)
            blocks.insert(blocks.end(), {{name, 36864, slice(shown, 6912, 6912)}, {name, 16384, slice(shown, 0, 6912)}});
        if (c.machine == LIBSPECTRUM_MACHINE_TC2048)
            blocks.insert(blocks.end(), {{name, 24576, timexOrder(slice(shown, 6144, 6144))},
                                         {name, 16384, timexOrder(slice(shown, 0, 6144))}});
    }
    return blocks;
}

TEST_F(Export, TapesHoldTheLoaderAndEveryScreenAsLibspectrumReadsThem)
{
    const std::string source = std::string(DW_SOURCE) + "/src/export/z80/gigascreen.asm";
    ASSERT_EQ(runs("pasmo --bin '" + source + "' giga.bin"), 0);
    for (const Case& c : cases) {
        std::string arguments;
        for (const std::string& screen : c.screens) arguments += screen + " ";
        const test::CliRun run = test::runCli("export " + arguments + "-o slides.tap");
        ASSERT_EQ(run.status, 0) << run.err;
        std::string program;
        EXPECT_TRUE(readTape(readFile("slides.tap"), program) == expectedBlocks(c, readFile("giga.bin"))) << c.kind;
        EXPECT_EQ(program, c.listing) << c.kind;
    }
}

// Each snapshot as libspectrum reads it, then run for eight frames: the
// display shows the screen (the gigascreen's two on alternate frames), the
// Timex stays in hi-colour mode, and nothing writes into a screen.
TEST_F(Export, SnapshotsShowTheScreenFrameAfterFrame)
{
    for (const Case& c : cases) {
        const std::string& name = c.screens.front();
        ASSERT_EQ(test::runCli("export " + name + " -o shown.z80").status, 0);
        const Bytes file = readFile("shown.z80"), screen = shownBytes(name);
        libspectrum_snap* snap = libspectrum_snap_alloc();
        ASSERT_EQ(libspectrum_snap_read(snap, file.data(), file.size(), LIBSPECTRUM_ID_SNAPSHOT_Z80, nullptr),
                  LIBSPECTRUM_ERROR_NONE);
        ASSERT_EQ(libspectrum_snap_machine(snap), c.machine) << c.kind;
        const bool paged = c.machine == LIBSPECTRUM_MACHINE_128, timex = c.machine == LIBSPECTRUM_MACHINE_TC2048;
        Machine machine(paged, paged ? 70908 : 69888);
        for (const int page : paged ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7} : std::vector<int>{5, 2, 0})
            std::copy_n(libspectrum_snap_pages(snap, page), 16384, machine.ram[page].begin());
        machine.port7ffd = libspectrum_snap_out_128_memoryport(snap);
        machine.portFF = libspectrum_snap_out_scld_dec(snap);
        const std::pair<Z80_REG_T, int> registers[] = {
            {regPC, libspectrum_snap_pc(snap)}, {regSP, libspectrum_snap_sp(snap)}, {regI, libspectrum_snap_i(snap)},
            {regIM, libspectrum_snap_im(snap)}, {regIFF1, libspectrum_snap_iff1(snap)},
            {regIFF2, libspectrum_snap_iff2(snap)}, {regIY, libspectrum_snap_iy(snap)}};
        for (const auto& [reg, value] : registers) z80ex_set_reg(machine.cpu, reg, static_cast<Z80EX_WORD>(value));
        libspectrum_snap_free(snap);

        // Bank 5's first 6912 bytes: the screen, or the Timex bitmap and nothing (its attributes are at 8192).
        Bytes first = timex ? timexOrder(slice(screen, 0, 6144)) : slice(screen, 0, 6912);
        first.resize(6912, 0);
        const Bytes second = paged ? slice(screen, 6912, 6912) : first;
        const Bytes hiColour = timex ? timexOrder(slice(screen, 6144, 6144)) : Bytes{};
        for (int frame = 0; frame < 8; ++frame) {
            EXPECT_TRUE(machine.frame() == (frame % 2 ? second : first)) << c.kind << frame;
            EXPECT_TRUE(!timex || (machine.portFF == 2 && machine.bank(5, 8192, 6144) == hiColour));
        }
        EXPECT_EQ(machine.screenWrites, 0) << c.kind;
    }
}

// The includes assemble (pasmo, z80asm) and compile (C++) back to the
// files' bytes and lengths.
TEST_F(Export, IncludesReadBackToTheFilesBytes)
{
    ASSERT_EQ(test::runCli("export first.scr pair.emg -o screens.asm").status, 0);
    ASSERT_EQ(test::runCli("export first.scr pair.emg -o screens.h").status, 0);
    Bytes expected = readFile("first.scr");
    const Bytes emg = readFile("pair.emg");
    expected.insert(expected.end(), emg.begin(), emg.end());
    expected.insert(expected.end(), {6912 & 0xFF, 6912 >> 8, 7680 & 0xFF, 7680 >> 8});

    std::ofstream("all.asm") << "include \"screens.asm\"\n defw first_scr_len, pair_emg_len\n";
    std::ofstream("all.cpp") << "#include <cstdio>\n#include \"screens.h\"\nint main() {\n"
                                " std::fwrite(first_scr, 1, first_scr_len, stdout);\n"
                                " std::fwrite(pair_emg, 1, pair_emg_len, stdout);\n"
                                " const unsigned short n[] = {first_scr_len, pair_emg_len};\n"
                                " std::fwrite(n, 2, 2, stdout);\n}\n";
    ASSERT_EQ(runs("pasmo --bin all.asm pasmo.bin"), 0);
    ASSERT_EQ(runs("z80asm all.asm -o z80asm.bin"), 0);
    ASSERT_EQ(runs(std::string(DW_CXX) + " -Wall -Werror all.cpp -o all && ./all > cxx.bin"), 0);
    for (const char* out : {"pasmo.bin", "z80asm.bin", "cxx.bin"}) EXPECT_TRUE(readFile(out) == expected) << out;
}

}  // namespace dw
