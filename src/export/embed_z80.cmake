# cmake -DBIN=code.bin -DSYM=code.sym -DNAME=name -DOUT=header.h -P embed_z80.cmake
# Writes the assembled bytes and the public labels of one Z80 program as a
# C++ header: namespace dw::z80::NAME with `bytes` and one constant a label.
file(READ "${BIN}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
set(bytes "")
set(index 0)
while(index LESS size)
    math(EXPR at "${index} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    string(APPEND bytes "0x${byte},")
    math(EXPR index "${index} + 1")
    math(EXPR column "${index} % 16")
    if(column EQUAL 0 AND index LESS size)
        string(APPEND bytes "\n    ")
    endif()
endwhile()

file(STRINGS "${SYM}" lines)
set(labels "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]+EQU[ \t]+0*([0-9A-F]+)H$")
        string(APPEND labels "inline constexpr uint16_t ${CMAKE_MATCH_1} = 0x${CMAKE_MATCH_2};\n")
    endif()
endforeach()

file(WRITE "${OUT}.tmp"
"// Made by the build from src/export/z80/${NAME}.asm; edit the source, not this.
#pragma once
#include <array>
#include <cstdint>

namespace dw::z80::${NAME} {

${labels}inline constexpr std::array<uint8_t, ${size}> bytes = {
    ${bytes}
};

}  // namespace dw::z80::${NAME}
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
