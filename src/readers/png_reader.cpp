#include "readers/png_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace dw {

namespace {

constexpr std::array<uint8_t, 8> pngSignature{137, 80, 78, 71, 13, 10, 26, 10};

// The part of the picture one row sequence covers: a start and a step in
// each direction.
struct Pass {
    int x0, y0, dx, dy;
};
constexpr std::array<Pass, 1> wholePicture{{{0, 0, 1, 1}}};
constexpr std::array<Pass, 7> adam7Passes{{
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
}};
// Pass number (1..7) of each pixel of an 8x8 block, indexed [y % 8][x % 8].
constexpr uint8_t adam7Pattern[8][8] = {
    {1, 6, 4, 6, 2, 6, 4, 6}, {7, 7, 7, 7, 7, 7, 7, 7}, {5, 6, 5, 6, 5, 6, 5, 6}, {7, 7, 7, 7, 7, 7, 7, 7},
    {3, 6, 4, 6, 3, 6, 4, 6}, {7, 7, 7, 7, 7, 7, 7, 7}, {5, 6, 5, 6, 5, 6, 5, 6}, {7, 7, 7, 7, 7, 7, 7, 7},
};

std::span<const Pass> passesOf(bool interlaced)
{
    return interlaced ? std::span<const Pass>(adam7Passes) : std::span<const Pass>(wholePicture);
}

int passExtent(int size, int start, int step)
{
    return size > start ? (size - start + step - 1) / step : 0;
}

uint32_t bigEndian32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// Chunk type or text as printable ASCII for an information line.
std::string printable(std::span<const uint8_t> bytes)
{
    std::string text;
    for (uint8_t c : bytes)
        text += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    return text;
}

std::string tooLargeSentence(long long width, long long height)
{
    return "the picture's " + std::to_string(width) + "x" + std::to_string(height) +
           " pixels exceed the limit of " + std::to_string(maxPictureSide) + " pixels a side and " +
           std::to_string(maxPicturePixels) + " pixels in all";
}

bool validDepth(int colourType, int depth)
{
    switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

// The predictor of the PNG standard, written without branches (a photo's
// rows are mostly Paeth-filtered and the choice is unpredictable); ties go
// to left, then above, as the standard orders them.
uint8_t paethPredictor(int left, int above, int upperLeft)
{
    const int pa = std::abs(above - upperLeft);
    const int pb = std::abs(left - upperLeft);
    const int pc = std::abs(left + above - 2 * upperLeft);
    const int aboveMask = -static_cast<int>(pb < pa);
    const int nearer = left ^ ((left ^ above) & aboveMask);
    const int upperLeftMask = -static_cast<int>(pc < std::min(pa, pb));
    return static_cast<uint8_t>(nearer ^ ((nearer ^ upperLeft) & upperLeftMask));
}

// Undoes the filter of one row in place; `previous` is the unfiltered row
// above (zeros for a pass's first row). False for an unknown filter type.
bool unfilterRow(int filter, std::span<uint8_t> row, std::span<const uint8_t> previous, size_t bpp)
{
    const size_t n = row.size();
    switch (filter) {
    case 0: return true;
    case 1:
        for (size_t i = bpp; i < n; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < n; ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i]);
        return true;
    // The first pixel has no left neighbours: both filters then predict
    // from above alone (Paeth's choice for zero left and upper-left).
    case 3:
        for (size_t i = 0; i < std::min(bpp, n); ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i] / 2);
        for (size_t i = bpp; i < n; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (row[i - bpp] + previous[i]) / 2);
        return true;
    case 4:
        for (size_t i = 0; i < std::min(bpp, n); ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i]);
        for (size_t i = bpp; i < n; ++i)
            row[i] = static_cast<uint8_t>(row[i] + paethPredictor(row[i - bpp], previous[i], previous[i - bpp]));
        return true;
    default: return false;
    }
}

// One chunk as the file holds it. When the file ends inside the chunk,
// `whole` is false and `data` is the part that is there.
struct Chunk {
    std::string name;  // the type in printable ASCII
    std::span<const uint8_t> type, data;
    bool whole = false;
    uint32_t storedCrc = 0;  // when whole

    bool crcMatches() const
    {
        return crc32_z(crc32(0, type.data(), 4), data.data(), data.size()) == storedCrc;
    }
};

// Reads the chunks of the bytes after the signature in file order, up to the
// end of the bytes or a chunk the end cuts short.
class ChunkCursor {
public:
    explicit ChunkCursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool next(Chunk& chunk)
    {
        if (stopped_ || bytes_.size() - at_ < 8)
            return false;
        const uint32_t length = bigEndian32(&bytes_[at_]);
        const std::span<const uint8_t> type = bytes_.subspan(at_ + 4, 4);
        const size_t dataStart = at_ + 8;
        const size_t available = std::min<size_t>(length, bytes_.size() - dataStart);
        chunk.name = printable(type);
        chunk.type = type;
        chunk.data = bytes_.subspan(dataStart, available);
        chunk.whole = available == length && bytes_.size() - dataStart - available >= 4;
        chunk.storedCrc = chunk.whole ? bigEndian32(&bytes_[dataStart + length]) : 0;
        stopped_ = !chunk.whole;
        at_ = dataStart + available + 4;
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    bool stopped_ = false;
};

// The image data: the IDAT chunks up to IEND, read where the file holds them.
class ImageData {
public:
    explicit ImageData(std::span<const uint8_t> chunks) : cursor_(chunks) {}

    // The next IDAT chunk's data; empty at the end.
    std::span<const uint8_t> next()
    {
        Chunk chunk;
        while (!ended_ && cursor_.next(chunk)) {
            if (chunk.name == "IEND")
                break;
            if (chunk.name == "IDAT" && !chunk.data.empty())
                return chunk.data;
        }
        ended_ = true;
        return {};
    }

private:
    ChunkCursor cursor_;
    bool ended_ = false;
};

// Inflates a zlib stream piece by piece into buffers of exact sizes, so no
// more is ever inflated than the picture needs.
class Inflater {
public:
    enum class Result { filled, ended, corrupt };

    explicit Inflater(ImageData input) : input_(input)
    {
        ok_ = inflateInit(&stream_) == Z_OK;
    }
    ~Inflater()
    {
        if (ok_)
            inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    Result fill(std::span<uint8_t> out)
    {
        if (!ok_)
            return Result::corrupt;
        stream_.next_out = out.data();
        stream_.avail_out = static_cast<uInt>(out.size());
        while (stream_.avail_out > 0) {
            if (stream_.avail_in == 0 && !inputEnded_) {
                const std::span<const uint8_t> piece = input_.next();
                inputEnded_ = piece.empty();
                stream_.next_in = const_cast<Bytef*>(piece.data());
                stream_.avail_in = static_cast<uInt>(piece.size());
            }
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END)
                return stream_.avail_out == 0 ? Result::filled : Result::ended;
            if (status == Z_BUF_ERROR && stream_.avail_in == 0 && inputEnded_)
                return Result::ended;
            if (status != Z_OK && status != Z_BUF_ERROR)
                return Result::corrupt;
        }
        return Result::filled;
    }

    std::string message() const { return stream_.msg ? stream_.msg : "damaged stream"; }

private:
    ImageData input_;
    bool inputEnded_ = false;
    z_stream stream_{};
    bool ok_ = false;
};

// The rows of the image data as zlib inflates them piece by piece, one row
// at a time into two buffers; the row above is the other buffer, so
// finishing a row is a swap.
class StreamedRows {
public:
    explicit StreamedRows(ImageData input) : inflater_(input) {}

    // The zeros become the row above the pass's first row.
    void startPass(size_t rowBytes)
    {
        current_.assign(rowBytes + 1, 0);
        previous_.resize(rowBytes + 1);
    }
    // The next row, filter-type byte first, and the unfiltered row above.
    Inflater::Result next(std::span<uint8_t>& row, std::span<const uint8_t>& above)
    {
        std::swap(previous_, current_);
        const Inflater::Result result = inflater_.fill(current_);
        row = current_;
        above = previous_;
        return result;
    }
    std::string message() const { return inflater_.message(); }

private:
    Inflater inflater_;
    std::vector<uint8_t> previous_, current_;
};

// The rows of image data inflated at once; each row is unfiltered in place,
// so the row above is the one before it, or zeros at a pass's start.
class InflatedRows {
public:
    explicit InflatedRows(PictureBytes data) : data_(std::move(data)) {}

    void startPass(size_t rowBytes)
    {
        zeros_.assign(rowBytes + 1, 0);
        above_ = zeros_.data();
        rowBytes_ = rowBytes + 1;
    }
    Inflater::Result next(std::span<uint8_t>& row, std::span<const uint8_t>& above)
    {
        row = std::span<uint8_t>(data_.data() + at_, rowBytes_);
        above = std::span<const uint8_t>(above_, rowBytes_);
        above_ = row.data();
        at_ += rowBytes_;
        return Inflater::Result::filled;
    }
    std::string message() const { return {}; }

private:
    PictureBytes data_;
    std::vector<uint8_t> zeros_;
    const uint8_t* above_ = nullptr;
    size_t rowBytes_ = 0;
    size_t at_ = 0;
};

// The sentence for a row of an unknown filter type.
std::string unknownFilter(uint8_t type)
{
    return "the PNG image data is corrupt (filter type " + std::to_string(type) + ")";
}

// Inflating at once holds the picture's image data beside its pixels unless
// the picture is made in it, so larger pictures are inflated piecewise.
constexpr size_t maxHeldAtOnce = 64 * 1024 * 1024;

// The image data inflated in one go, when the stream holds at least the
// `size` bytes the picture needs. A stream that ends early or is damaged
// before then is left to the piecewise path, which decides how much of it
// is read; beyond `size`, neither path looks.
std::optional<PictureBytes> inflateAtOnce(std::span<const uint8_t> chunks, size_t size, bool madeInPlace)
{
    if (!madeInPlace && size > maxHeldAtOnce) return std::nullopt;
    PictureBytes data(size);
    Inflater inflater{ImageData(chunks)};
    if (inflater.fill(std::span(data.data(), size)) != Inflater::Result::filled) return std::nullopt;
    return data;
}

}  // namespace

Status TPNG::loadFromBytes(std::span<const uint8_t> bytes)
{
    *this = TPNG();
    if (bytes.size() < pngSignature.size() || !std::equal(pngSignature.begin(), pngSignature.end(), bytes.begin()))
        return fail("not a PNG file: the signature is wrong");
    const std::span<const uint8_t> chunks = bytes.subspan(pngSignature.size());
    if (Status walked = walkChunks(chunks); !walked)
        return walked;
    if (!haveHeader_)
        return fail("the PNG file has no header (IHDR chunk)");
    if (!haveImageData_)
        return fail("the PNG file has no image data (IDAT chunk)");
    return decodeImage(chunks);
}

// Reads chunks up to IEND or the end of the bytes. Fails only when a chunk
// makes the file undecodable.
Status TPNG::walkChunks(std::span<const uint8_t> chunks)
{
    ChunkCursor cursor(chunks);
    Chunk chunk;
    while (cursor.next(chunk)) {
        if (!chunk.whole)
            note("chunk " + chunk.name + " is cut short by the end of the file");
        else if (!chunk.crcMatches())
            note("checksum of chunk " + chunk.name + " does not match");

        if (chunk.name == "IHDR") {
            if (haveHeader_)
                note("a second IHDR chunk is ignored");
            else if (Status read = readHeader(chunk.data); !read)
                return read;
        } else if (chunk.name == "PLTE") {
            readPalette(chunk.data);
        } else if (chunk.name == "IDAT") {
            haveImageData_ = haveImageData_ || !chunk.data.empty();
        } else if (chunk.name == "IEND") {
            return {};
        } else if (chunk.name == "tEXt") {
            readText(chunk.data);
        }
    }
    note("the file ends without an IEND chunk; the image data read so far is decoded");
    return {};
}

Status TPNG::readHeader(std::span<const uint8_t> data)
{
    if (data.size() != 13)
        return fail("the PNG header (IHDR chunk) has " + std::to_string(data.size()) + " bytes instead of 13");
    const uint32_t width = bigEndian32(&data[0]);
    const uint32_t height = bigEndian32(&data[4]);
    bitDepth_ = data[8];
    colourType_ = data[9];
    const int compression = data[10], filter = data[11], interlace = data[12];
    note("IHDR: " + std::to_string(width) + "x" + std::to_string(height) + ", bit depth " +
                    std::to_string(bitDepth_) + ", colour type " + std::to_string(colourType_) +
                    ", compression " + std::to_string(compression) + ", filter " + std::to_string(filter) +
                    ", interlace " + std::to_string(interlace));

    if (width == 0 || height == 0)
        return fail("the PNG picture has zero width or height");
    if (width > static_cast<uint32_t>(maxPictureSide) || height > static_cast<uint32_t>(maxPictureSide) ||
        static_cast<long long>(width) * height > maxPicturePixels)
        return fail(tooLargeSentence(width, height));
    if (colourType_ != 0 && colourType_ != 2 && colourType_ != 3 && colourType_ != 4 && colourType_ != 6)
        return fail("PNG colour type " + std::to_string(colourType_) + " does not exist");
    if (!validDepth(colourType_, bitDepth_))
        return fail("PNG bit depth " + std::to_string(bitDepth_) + " is not allowed for colour type " +
                    std::to_string(colourType_));
    if (compression != 0)
        return fail("PNG compression method " + std::to_string(compression) + " is unknown");
    if (filter != 0)
        return fail("PNG filter method " + std::to_string(filter) + " is unknown");
    if (interlace > 1)
        return fail("PNG interlace method " + std::to_string(interlace) + " is unknown");

    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    interlaced_ = interlace == 1;
    format_ = colourType_ == 3 ? Format::indexed8 : (colourType_ == 4 || colourType_ == 6) ? Format::bgra32 : Format::rgb24;
    haveHeader_ = true;
    return {};
}

void TPNG::readPalette(std::span<const uint8_t> data)
{
    const size_t entries = std::min<size_t>(data.size() / 3, palette_.size());
    if (data.size() / 3 > palette_.size())
        note("PLTE entries beyond 256 are ignored");
    for (size_t i = 0; i < entries; ++i)
        palette_[i] = Colour{data[3 * i + 2], data[3 * i + 1], data[3 * i]};
}

void TPNG::readText(std::span<const uint8_t> data)
{
    const auto nul = std::find(data.begin(), data.end(), 0);
    const std::string keyword = printable(std::span<const uint8_t>(data.begin(), nul));
    const std::string text = nul == data.end() ? "" : printable(std::span<const uint8_t>(nul + 1, data.end()));
    note("tEXt " + keyword + ": " + text);
}

int TPNG::channels() const
{
    switch (colourType_) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

// Bytes of the image data the picture needs: each row of each pass with its
// filter-type byte.
size_t TPNG::imageDataSize() const
{
    size_t size = 0;
    for (const Pass& pass : passesOf(interlaced_)) {
        const int passWidth = passExtent(width_, pass.x0, pass.dx);
        const int passHeight = passExtent(height_, pass.y0, pass.dy);
        if (passWidth > 0) size += (rowBytes(passWidth) + 1) * passHeight;
    }
    return size;
}

size_t TPNG::rowBytes(int passWidth) const
{
    return (static_cast<size_t>(passWidth) * channels() * bitDepth_ + 7) / 8;
}

Status TPNG::decodeImage(std::span<const uint8_t> chunks)
{
    const bool rgbInPlace = colourType_ == 2 && bitDepth_ == 8 && !interlaced_;
    std::optional<PictureBytes> inflated = inflateAtOnce(chunks, imageDataSize(), rgbInPlace);
    if (inflated && rgbInPlace) return decodeRgbInPlace(std::move(*inflated));
    pixels_ = PictureBytes(static_cast<size_t>(width_) * height_ * bytesPerPixel());
    if (inflated) {
        InflatedRows rows(std::move(*inflated));
        return decodeRows(rows);
    }
    StreamedRows rows{ImageData(chunks)};
    return decodeRows(rows);
}

// Each row is unfiltered where it was inflated and moved down onto its place
// in the picture, which never reaches the rows after it (they start one byte
// further on per row), so the picture is made in the inflated bytes.
Status TPNG::decodeRgbInPlace(PictureBytes data)
{
    const size_t bytes = rowBytes(width_);
    const std::vector<uint8_t> zeros(bytes, 0);
    const uint8_t* above = zeros.data();
    for (size_t y = 0; y < static_cast<size_t>(height_); ++y) {
        uint8_t* const inflated = data.data() + y * (bytes + 1);
        if (!unfilterRow(inflated[0], std::span(inflated + 1, bytes), std::span(above, bytes), 3))
            return fail(unknownFilter(inflated[0]));
        uint8_t* const placed = data.data() + y * bytes;
        std::memmove(placed, inflated + 1, bytes);
        above = placed;
    }
    data.shrink(bytes * height_);
    pixels_ = std::move(data);
    complete_ = true;
    return {};
}

template <class Rows>
Status TPNG::decodeRows(Rows& rows)
{
    const size_t bpp = std::max(1, channels() * bitDepth_ / 8);
    const std::span<const Pass> passes = passesOf(interlaced_);
    for (size_t p = 0; p < passes.size(); ++p) {
        const int passWidth = passExtent(width_, passes[p].x0, passes[p].dx);
        const int passHeight = passExtent(height_, passes[p].y0, passes[p].dy);
        if (passWidth == 0 || passHeight == 0)
            continue;
        const size_t bytes = rowBytes(passWidth);
        rows.startPass(bytes);
        for (int r = 0; r < passHeight; ++r) {
            std::span<uint8_t> current;
            std::span<const uint8_t> previous;
            const Inflater::Result result = rows.next(current, previous);
            if (result == Inflater::Result::corrupt)
                return fail("the PNG image data is corrupt (" + rows.message() + ")");
            if (result == Inflater::Result::ended) {
                note("the image data ends early; the rest of the picture stays black");
                stoppedPass_ = static_cast<int>(p);
                stoppedRow_ = r;
                return {};
            }
            const std::span<uint8_t> row = current.subspan(1, bytes);
            if (!unfilterRow(current[0], row, previous.subspan(1), bpp))
                return fail(unknownFilter(current[0]));
            storeRow(row.data(), static_cast<int>(p), r, passWidth);
        }
    }
    complete_ = true;
    return {};
}

// Converts one unfiltered row of a pass into the picture's pixel format.
void TPNG::storeRow(const uint8_t* row, int passIndex, int passRow, int passWidth)
{
    const Pass& pass = passesOf(interlaced_)[passIndex];
    const int n = channels();
    const int depth = bitDepth_;
    const int sampleBytes = depth == 16 ? 2 : 1;
    // Sample s of pixel i; of a 16-bit sample only its high byte.
    const auto sample = [&](int i, int s) -> int {
        if (depth >= 8)
            return row[(static_cast<size_t>(i) * n + s) * sampleBytes];
        const size_t bit = static_cast<size_t>(i) * depth;
        return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
    };
    const size_t y = static_cast<size_t>(pass.y0) + static_cast<size_t>(passRow) * pass.dy;
    const size_t step = static_cast<size_t>(pass.dx) * bytesPerPixel();
    uint8_t* out = &pixels_[(y * width_ + pass.x0) * bytesPerPixel()];
    // One loop per colour type, so nothing is decided per pixel.
    switch (colourType_) {
    case 0:
        for (int i = 0; i < passWidth; ++i, out += step) {
            const int v = sample(i, 0);
            out[0] = out[1] = out[2] = static_cast<uint8_t>(depth < 8 ? v * 255 / ((1 << depth) - 1) : v);
        }
        break;
    case 2:
        for (int i = 0; i < passWidth; ++i, out += step) {
            out[0] = static_cast<uint8_t>(sample(i, 0));
            out[1] = static_cast<uint8_t>(sample(i, 1));
            out[2] = static_cast<uint8_t>(sample(i, 2));
        }
        break;
    case 3:
        for (int i = 0; i < passWidth; ++i, out += step) out[0] = static_cast<uint8_t>(sample(i, 0));
        break;
    case 4:
        for (int i = 0; i < passWidth; ++i, out += step) {
            out[0] = out[1] = out[2] = static_cast<uint8_t>(sample(i, 0));
            out[3] = static_cast<uint8_t>(sample(i, 1));
        }
        break;
    case 6:
        for (int i = 0; i < passWidth; ++i, out += step) {
            out[0] = static_cast<uint8_t>(sample(i, 2));
            out[1] = static_cast<uint8_t>(sample(i, 1));
            out[2] = static_cast<uint8_t>(sample(i, 0));
            out[3] = static_cast<uint8_t>(sample(i, 3));
        }
        break;
    }
}

bool TPNG::pixelDecoded(int x, int y) const
{
    if (complete_)
        return true;
    const int passIndex = interlaced_ ? adam7Pattern[y % 8][x % 8] - 1 : 0;
    const Pass& pass = passesOf(interlaced_)[passIndex];
    const int passRow = (y - pass.y0) / pass.dy;
    return passIndex < stoppedPass_ || (passIndex == stoppedPass_ && passRow < stoppedRow_);
}

Bitmap TPNG::toBitmap() &&
{
    // Pixels never decoded are zero, so they come out black here too.
    if (format_ == Format::bgr24 || format_ == Format::rgb24) return takeAsBitmap();
    return std::as_const(*this).toBitmap();
}

Bitmap TPNG::toBitmap() const&
{
    Bitmap bitmap(width_, height_);
    PictureBytes& rgb = bitmap.rgb();
    // Only the rows that were read, pass by pass; the rest stays black.
    const std::span<const Pass> passes = passesOf(interlaced_);
    const size_t lastPass = complete_ ? passes.size() : static_cast<size_t>(stoppedPass_) + 1;
    for (size_t p = 0; p < lastPass; ++p) {
        const Pass& pass = passes[p];
        const bool whole = complete_ || static_cast<int>(p) < stoppedPass_;
        const int rows = whole ? passExtent(height_, pass.y0, pass.dy) : stoppedRow_;
        for (int r = 0; r < rows; ++r) {
            const size_t y = static_cast<size_t>(pass.y0) + static_cast<size_t>(r) * pass.dy;
            copyPixels(y * width_ + pass.x0, passExtent(width_, pass.x0, pass.dx), pass.dx, rgb);
        }
    }
    return bitmap;
}

Result<Bitmap> decodePng(std::span<const uint8_t> bytes)
{
    TPNG png;
    if (Status loaded = png.loadFromBytes(bytes); !loaded)
        return Failure{loaded.error()};
    return std::move(png).toBitmap();
}

}  // namespace dw
