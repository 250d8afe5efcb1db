#include "readers/jpeg_adapter.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not
// return; here it jumps back into the function that set the jump point.
// Those functions hold no C++ objects with destructors, so the jump skips
// nothing. Warnings (a premature end of the data, corrupt entropy data) are
// not fatal: libjpeg fills what is missing and the picture is kept.
// A progressive file may hold any number of scans, each passing over every
// block of the components it carries, however little data it holds: a small
// file of many scans over a large picture would take minutes. So the blocks
// the scans pass over are counted as each scan starts, and a file that asks
// for more than a budget (about a second of decoding) is refused; so is one
// of absurdly many scans, each of which has its own cost.

namespace dw {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->base.format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void keepQuiet(j_common_ptr) {}

constexpr int maxScans = 500;
// Blocks of 8x8 coefficients, summed over the scans: 24 passes over the
// blocks of the largest picture, one component each, or 8 over all three full
// components. The usual progressive script passes about 5 times over them.
constexpr long long maxScannedBlocks = 24 * (maxPicturePixels / 64);

struct ScanBudget {
    jpeg_progress_mgr base;
    int scansCounted = 0;
    long long blocks = 0;
};

[[noreturn]] void refuse(j_common_ptr info, const char* format, long long limit)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(manager->message, sizeof manager->message, format, limit);
    std::longjmp(manager->jump, 1);
}

// Called before each row of blocks is read, so before any block of a new
// scan is decoded.
void limitScans(j_common_ptr common)
{
    if (!common->is_decompressor)
        return;
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    auto* budget = reinterpret_cast<ScanBudget*>(info->progress);
    if (info->input_scan_number == budget->scansCounted)
        return;
    budget->scansCounted = info->input_scan_number;
    if (budget->scansCounted > maxScans)
        refuse(common, "it holds more than %lld scans", maxScans);
    for (int i = 0; i < info->comps_in_scan; ++i)
        budget->blocks +=
            static_cast<long long>(info->cur_comp_info[i]->width_in_blocks) * info->cur_comp_info[i]->height_in_blocks;
    if (budget->blocks > maxScannedBlocks)
        refuse(common, "its scans pass over more than %lld blocks of the picture", maxScannedBlocks);
}

class Decompressor {
public:
    Decompressor()
    {
        info_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = jumpOnError;
        errors_.base.output_message = keepQuiet;
        errors_.message[0] = '\0';
        budget_.base.progress_monitor = limitScans;
        jpeg_create_decompress(&info_);
        info_.progress = &budget_.base;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& info() { return info_; }
    std::string message() const { return errors_.message; }

    bool readHeader(std::span<const uint8_t> bytes)
    {
        if (setjmp(errors_.jump))
            return false;
        jpeg_mem_src(&info_, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&info_, TRUE);
        const bool cmyk = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
        info_.out_color_space = cmyk ? JCS_CMYK : info_.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
        return true;
    }

    // Decodes into `rgb`, which holds output_width * output_height * 3 bytes.
    bool readPixels(uint8_t* rgb)
    {
        if (setjmp(errors_.jump))
            return false;
        jpeg_start_decompress(&info_);
        const JDIMENSION width = info_.output_width;
        const int channels = info_.output_components;
        JSAMPARRAY line = info_.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&info_), JPOOL_IMAGE,
                                                  width * channels, 1);
        // Adobe software writes CMYK inverted: 0 means full ink.
        const bool inverted = info_.saw_Adobe_marker;
        while (info_.output_scanline < info_.output_height) {
            uint8_t* out = rgb + static_cast<size_t>(info_.output_scanline) * width * 3;
            jpeg_read_scanlines(&info_, line, 1);
            const JSAMPLE* in = line[0];
            for (JDIMENSION x = 0; x < width; ++x, out += 3, in += channels) {
                if (channels == 1) {
                    out[0] = out[1] = out[2] = in[0];
                } else if (channels == 3) {
                    out[0] = in[0];
                    out[1] = in[1];
                    out[2] = in[2];
                } else {
                    const unsigned k = inverted ? in[3] : 255 - in[3];
                    for (int c = 0; c < 3; ++c) {
                        const unsigned ink = inverted ? in[c] : 255 - in[c];
                        out[c] = static_cast<uint8_t>((ink * k + 127) / 255);
                    }
                }
            }
        }
        jpeg_finish_decompress(&info_);
        return true;
    }

private:
    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
    ScanBudget budget_{};
};

Failure decodeFailure(Decompressor& jpeg)
{
    if (jpeg.info().data_precision == 12)
        return {"12-bit JPEG pictures are not supported, only 8-bit ones"};
    return {"the JPEG file cannot be decoded: " + jpeg.message()};
}

}  // namespace

Result<Bitmap> decodeJpeg(std::span<const uint8_t> bytes)
{
    Decompressor jpeg;
    if (!jpeg.readHeader(bytes))
        return decodeFailure(jpeg);
    const long long width = jpeg.info().image_width;
    const long long height = jpeg.info().image_height;
    if (width > maxPictureSide || height > maxPictureSide || width * height > maxPicturePixels)
        return Failure{"the JPEG picture of " + std::to_string(width) + "x" + std::to_string(height) +
                       " pixels is larger than the limit of " + std::to_string(maxPictureSide) +
                       " pixels a side and " + std::to_string(maxPicturePixels / (1024 * 1024)) + " megapixels"};
    Bitmap bitmap(static_cast<int>(width), static_cast<int>(height));
    if (!jpeg.readPixels(bitmap.rgb().data()))
        return decodeFailure(jpeg);
    return bitmap;
}

}  // namespace dw
