#include "readers/gif_adapter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gif_lib.h>

// The first frame only, placed on its logical screen as a viewer shows a
// still picture:
// - the screen starts in the background colour of the global colour table,
//   or white when the file has none (or the index lies beyond it);
// - pixels of the frame's transparent index let that background show;
// - parts of the frame outside the screen are cut off;
// - a frame without any colour table shows its indices as grey levels;
//   indices beyond the frame's colour table are black.
// A damaged or truncated first frame is refused rather than shown in part.

namespace dw {

namespace {

struct MemorySource {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int wanted)
{
    auto* source = static_cast<MemorySource*>(gif->UserData);
    const size_t left = source->bytes.size() - source->position;
    const size_t count = std::min(left, static_cast<size_t>(std::max(wanted, 0)));
    if (count > 0)
        std::memcpy(buffer, source->bytes.data() + source->position, count);
    source->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

Failure gifFailure(int code)
{
    const char* text = GifErrorString(code);
    return {std::string("the GIF file cannot be decoded: ") + (text ? text : "unknown error " + std::to_string(code))};
}

bool tooLarge(long long width, long long height)
{
    return width > maxPictureSide || height > maxPictureSide || width * height > maxPicturePixels;
}

Failure sizeRefusal(const char* what, long long width, long long height)
{
    return {std::string("the GIF ") + what + " of " + std::to_string(width) + "x" + std::to_string(height) +
            " pixels is larger than the limit of " + std::to_string(maxPictureSide) + " pixels a side and " +
            std::to_string(maxPicturePixels / (1024 * 1024)) + " megapixels"};
}

uint32_t packed(const GifColorType& colour)
{
    return colour.Red | (colour.Green << 8) | (static_cast<uint32_t>(colour.Blue) << 16);
}

uint32_t backgroundColour(const GifFileType& gif)
{
    const ColorMapObject* map = gif.SColorMap;
    if (map && gif.SBackGroundColor >= 0 && gif.SBackGroundColor < map->ColorCount)
        return packed(map->Colors[gif.SBackGroundColor]);
    return 0xFFFFFF;
}

uint32_t frameColour(const ColorMapObject* map, int index)
{
    if (!map)
        return static_cast<uint32_t>(index) * 0x010101;
    return index < map->ColorCount ? packed(map->Colors[index]) : 0;
}

// The part of the first frame that lies on the screen, as colour indices.
struct VisibleFrame {
    int left = 0, top = 0, width = 0, height = 0;
    PictureBytes indices;  // width * height, rows top first

    bool covers(int x, int y) const { return x >= left && x - left < width && y >= top && y - top < height; }
    uint8_t index(int x, int y) const { return indices[static_cast<size_t>(y - top) * width + (x - left)]; }
};

// Reads the frame's rows in stored order (interlaced ones in their four
// passes) and keeps their visible part; the whole frame must decode.
Result<VisibleFrame> readFrame(GifFileType* gif)
{
    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0)
        return Failure{"the first GIF frame is empty (" + std::to_string(frame.Width) + "x" +
                       std::to_string(frame.Height) + " pixels)"};
    if (tooLarge(frame.Width, frame.Height))
        return sizeRefusal("frame", frame.Width, frame.Height);
    VisibleFrame visible;
    const auto visiblePart = [](int start, int extent, int screen) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(screen) - start, 0, extent));
    };
    visible.left = frame.Left;
    visible.top = frame.Top;
    visible.width = visiblePart(frame.Left, frame.Width, gif->SWidth);
    visible.height = visiblePart(frame.Top, frame.Height, gif->SHeight);
    visible.indices = PictureBytes(static_cast<size_t>(visible.width) * visible.height);

    std::vector<int> rowOrder;
    if (frame.Interlace) {
        static constexpr int start[] = {0, 4, 2, 1};
        static constexpr int step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < frame.Height; y += step[pass])
                rowOrder.push_back(y);
    } else {
        for (int y = 0; y < frame.Height; ++y)
            rowOrder.push_back(y);
    }

    std::vector<GifPixelType> row(static_cast<size_t>(frame.Width));
    for (int frameY : rowOrder) {
        if (DGifGetLine(gif, row.data(), frame.Width) == GIF_ERROR)
            return gifFailure(gif->Error);
        if (frameY < visible.height)
            std::copy_n(row.data(), visible.width, visible.indices.data() + static_cast<size_t>(frameY) * visible.width);
    }
    return visible;
}

// Each screen pixel is written once: the frame's colour, or the background
// where the frame is transparent or absent.
Bitmap composeScreen(const GifFileType& gif, const VisibleFrame& frame, int transparentIndex)
{
    const ColorMapObject* map = gif.Image.ColorMap ? gif.Image.ColorMap : gif.SColorMap;
    const uint32_t background = backgroundColour(gif);
    Bitmap screen(gif.SWidth, gif.SHeight);
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const bool painted = frame.covers(x, y) && frame.index(x, y) != transparentIndex;
            screen.setPixel(x, y, painted ? frameColour(map, frame.index(x, y)) : background);
        }
    return screen;
}

// Skips records up to the first frame; its transparent index (from a
// graphics control extension) or NO_TRANSPARENT_COLOR.
Result<int> findFirstFrame(GifFileType* gif)
{
    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return gifFailure(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return gifFailure(gif->Error);
            return transparentIndex;
        }
        if (type == TERMINATE_RECORD_TYPE)
            return Failure{"the GIF file holds no picture"};
        if (type != EXTENSION_RECORD_TYPE)
            return Failure{"the GIF file holds an unknown record"};
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            return gifFailure(gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock control;
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparentIndex = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                return gifFailure(gif->Error);
        }
    }
}

}  // namespace

Result<Bitmap> decodeGif(std::span<const uint8_t> bytes)
{
    MemorySource source{bytes};
    int openError = 0;
    GifHandle gif(DGifOpen(&source, readFromMemory, &openError));
    if (!gif)
        return gifFailure(openError);
    if (gif->SWidth <= 0 || gif->SHeight <= 0)
        return Failure{"the GIF picture claims a size of " + std::to_string(gif->SWidth) + "x" +
                       std::to_string(gif->SHeight) + " pixels"};
    if (tooLarge(gif->SWidth, gif->SHeight))
        return sizeRefusal("picture", gif->SWidth, gif->SHeight);

    const Result<int> transparentIndex = findFirstFrame(gif.get());
    if (!transparentIndex)
        return Failure{transparentIndex.error()};

    // The frame is read before the screen is made, so a damaged one costs
    // no more than what it holds.
    const Result<VisibleFrame> frame = readFrame(gif.get());
    if (!frame)
        return Failure{frame.error()};
    return composeScreen(*gif, *frame, *transparentIndex);
}

}  // namespace dw
