#include "zxfiles/layouts.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace dw {

namespace {

void append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

std::span<const uint8_t> head(const ScreenBuffer& scr, size_t count) { return std::span<const uint8_t>(scr).first(count); }

void appendCell(std::vector<uint8_t>& out, const ScreenBuffer& scr, int row, int column)
{
    for (int line = 0; line < 8; ++line) out.push_back(scr[standardPixelOffset(8 * column, 8 * row + line)]);
    out.push_back(scr[standardAttrOffset(8 * column, 8 * row)]);
}

std::vector<uint8_t> chrsHeader(uint8_t cellBytesTag, size_t fileSize)
{
    std::vector<uint8_t> out;
    out.reserve(fileSize);
    for (char c : std::string_view("chr$")) out.push_back(static_cast<uint8_t>(c));
    out.insert(out.end(), {32, 24, cellBytesTag});
    return out;
}

// Copies `file` into the areas in turn, as far as the file goes.
void fillAreas(std::span<const uint8_t> file, std::initializer_list<std::span<uint8_t>> areas)
{
    for (std::span<uint8_t> area : areas) {
        size_t count = std::min(area.size(), file.size());
        std::copy_n(file.begin(), count, area.begin());
        file = file.subspan(count);
    }
}

std::span<uint8_t> head(ScreenBuffer& scr, size_t count) { return std::span<uint8_t>(scr).first(count); }

}  // namespace

std::vector<uint8_t> scrFile(const ScreenBuffer& scr1) { return {scr1.begin(), scr1.begin() + scrFileSize}; }

std::vector<uint8_t> chrsFile(const ScreenBuffer& scr1)
{
    std::vector<uint8_t> out = chrsHeader(9, chrsFileSize);
    for (int row = 0; row < 24; ++row)
        for (int column = 0; column < 32; ++column) appendCell(out, scr1, row, column);
    return out;
}

std::vector<uint8_t> imgFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2)
{
    std::vector<uint8_t> out;
    out.reserve(imgFileSize);
    append(out, head(scr1, standardScreenSize));
    append(out, head(scr2, standardScreenSize));
    return out;
}

std::vector<uint8_t> gigaChrsFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2)
{
    std::vector<uint8_t> out = chrsHeader(12, gigaChrsFileSize);
    for (int row = 0; row < 24; ++row)
        for (int column = 0; column < 32; ++column) {
            appendCell(out, scr1, row, column);
            appendCell(out, scr2, row, column);
        }
    return out;
}

std::vector<uint8_t> emgFile(const EmgImage& emgBuf) { return {emgBuf.begin(), emgBuf.end()}; }

std::vector<uint8_t> mcFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2)
{
    std::vector<uint8_t> out;
    out.reserve(mcFileSize);
    append(out, head(scr1, bitmapSize));
    append(out, head(scr2, bitmapSize));
    return out;
}

std::vector<uint8_t> mcxFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2)
{
    std::vector<uint8_t> out;
    out.reserve(mcxFileSize);
    append(out, scr1);
    append(out, scr2);
    return out;
}

std::vector<uint8_t> eightColourFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2)
{
    std::vector<uint8_t> out;
    out.reserve(eightColourFileSize);
    append(out, scr1);
    append(out, head(scr2, bitmapSize));
    return out;
}

std::vector<uint8_t> rModeFile(const ScreenBuffer& scr1, const ScreenBuffer& scr2, const ExtraBlocks& rmExtra)
{
    std::vector<uint8_t> out;
    out.reserve(rModeFileSize);
    append(out, head(scr1, bitmapSize));
    append(out, head(scr2, bitmapSize));
    for (const auto& block : rmExtra) append(out, std::span<const uint8_t>(block).first(standardAttrSize));
    return out;
}

std::vector<uint8_t> r48File(const ScreenBuffer& scr1, const ExtraBlocks& rmExtra)
{
    std::vector<uint8_t> out;
    out.reserve(r48FileSize);
    append(out, head(scr1, bitmapSize));
    append(out, std::span<const uint8_t>(rmExtra[0]).first(bitmapSize));
    return out;
}

void readScr(std::span<const uint8_t> file, ScreenBuffer& scr1) { fillAreas(file, {head(scr1, scrFileSize)}); }

void readImg(std::span<const uint8_t> file, ScreenBuffer& scr1, ScreenBuffer& scr2)
{
    fillAreas(file, {head(scr1, standardScreenSize), head(scr2, standardScreenSize)});
}

void readMc(std::span<const uint8_t> file, ScreenBuffer& scr1, ScreenBuffer& scr2)
{
    fillAreas(file, {std::span<uint8_t>(scr1), head(scr2, mcReadLimit - screenBufferSize)});
}

void readMcx(std::span<const uint8_t> file, ScreenBuffer& scr1, ScreenBuffer& scr2)
{
    fillAreas(file, {std::span<uint8_t>(scr1), std::span<uint8_t>(scr2)});
}

void readEmg(std::span<const uint8_t> file, EmgImage& emgBuf) { fillAreas(file, {std::span<uint8_t>(emgBuf)}); }

}  // namespace dw
