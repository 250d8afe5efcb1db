#pragma once
// The Spectrum screen every mode fills: 256x192 pixels, kept in buffers of
// 12288 bytes (bitmap from byte 0, attributes from byte 6144).

#include <array>
#include <cstdint>

namespace dw {

inline constexpr int screenWidth = 256;
inline constexpr int screenHeight = 192;
inline constexpr int screenBufferSize = 12288;

using ScreenBuffer = std::array<uint8_t, screenBufferSize>;

}  // namespace dw
