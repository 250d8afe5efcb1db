#pragma once
// Byte layouts of every Spectrum file the program writes or reads. Writers
// take the screen buffers and return the whole file; readers fill the buffers
// from a file's bytes as far as they go and leave the rest as it was.
//
// In a screen buffer the bitmap is bytes 0..6143 and the attributes start at
// byte 6144. Standard, gigascreen and eight-colour bitmaps are in Spectrum
// line order (row y at 32 * zxline(y)); multicolor, MCX, R-Mode and R48-Mode
// bitmaps in plain line order (row y at 32 * y).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/screen.h"
#include "colour/helpers.h"
#include "zxfiles/emg_code.h"

namespace dw {

inline constexpr size_t bitmapSize = 6144;
inline constexpr size_t standardAttrSize = 768;
inline constexpr size_t standardScreenSize = bitmapSize + standardAttrSize;  // 6912

inline constexpr size_t scrFileSize = 6912;
inline constexpr size_t chrsFileSize = 6919;
inline constexpr size_t imgFileSize = 13824;
inline constexpr size_t gigaChrsFileSize = 13831;
inline constexpr size_t emgFileSize = 7680;
inline constexpr size_t mcFileSize = 12288;
inline constexpr size_t mcxFileSize = 24576;
inline constexpr size_t eightColourFileSize = 18432;
inline constexpr size_t rModeFileSize = 15360;
inline constexpr size_t r48FileSize = 12288;
// The loader reads an ".mc" up to this size: a full scr1 plus the start of scr2.
inline constexpr size_t mcReadLimit = 13824;

// rmExtra: four blocks of extra R-Mode / R48-Mode bytes.
using ExtraBlocks = std::array<std::array<uint8_t, 6400>, 4>;

// Byte of a standard bitmap holding pixel (x, y); the pixel is bit 7 - x % 8.
constexpr int standardPixelOffset(int x, int y) { return 32 * zxline(y) + x / 8; }
// Attribute byte of the 8x8 cell holding pixel (x, y).
constexpr int standardAttrOffset(int x, int y) { return 6144 + 32 * (y / 8) + x / 8; }
// Multicolor: byte of pixel (x, y) and its 8x1 attribute.
constexpr int linePixelOffset(int x, int y) { return 32 * y + x / 8; }
constexpr int multicolorAttrOffset(int x, int y) { return 6144 + 32 * y + x / 8; }
constexpr uint8_t pixelMask(int x) { return static_cast<uint8_t>(128 >> (x % 8)); }

// ---- Writers ----------------------------------------------------------------
// ".scr": scr1 bytes 0..6911.
std::vector<uint8_t> scrFile(const ScreenBuffer& scr1);
// Standard ".ch$": "chr$", 32, 24, 9, then 768 cells of 8 pixel bytes (top to
// bottom) and the attribute, row-major.
std::vector<uint8_t> chrsFile(const ScreenBuffer& scr1);
// ".img": scr1 then scr2, bytes 0..6911 each.
std::vector<uint8_t> imgFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2);
// Gigascreen ".ch$": "chr$", 32, 24, 12, then 768 cells of 18 bytes (screen
// 1's 9-byte cell followed by screen 2's).
std::vector<uint8_t> gigaChrsFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2);
// ".emg": the image assembled by packEmg.
std::vector<uint8_t> emgFile(const EmgImage& emgBuf);
// ".mc": scr1 bytes 0..6143 (bitmap) and scr2 bytes 0..6143 (attributes).
std::vector<uint8_t> mcFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2);
// ".mcx": scr1 then scr2, bytes 0..12287 each.
std::vector<uint8_t> mcxFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2);
// ".3": scr1 bytes 0..12287 (blue, red planes) and scr2 bytes 0..6143 (green).
std::vector<uint8_t> eightColourFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2);
// ".rm": scr1 and scr2 bytes 0..6143, then bytes 0..767 of rmExtra blocks 0..3.
std::vector<uint8_t> rModeFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const ExtraBlocks& rmExtra);
// ".r48": scr1 bytes 0..6143 and rmExtra block 0 bytes 0..6143.
std::vector<uint8_t> r48File(const ScreenBuffer& scr1, const ExtraBlocks& rmExtra);

// ---- Readers (what the screen loader fills) ----------------------------------
// Each copies the file's bytes in order into the listed areas, stopping where
// the file ends; bytes beyond a read's size are ignored.
void readScr(std::span<const uint8_t> file, ScreenBuffer& scr1);                        // 6912 into scr1
void readImg(std::span<const uint8_t> file, ScreenBuffer& scr1, ScreenBuffer& scr2);    // 6912 + 6912
void readMc(std::span<const uint8_t> file, ScreenBuffer& scr1, ScreenBuffer& scr2);     // 12288 + 1536
void readMcx(std::span<const uint8_t> file, ScreenBuffer& scr1, ScreenBuffer& scr2);    // 12288 + 12288
void readEmg(std::span<const uint8_t> file, EmgImage& emgBuf);                          // 7680

}  // namespace dw
