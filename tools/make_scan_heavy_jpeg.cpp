// make-scan-heavy-jpeg FILE: writes tests/data/made/jpeg/scan_heavy_16384x4096.jpg,
// a small progressive JPEG whose 490 scans each pass over every block of a
// 16384x4096 grey picture: after the DC values, each of the 63 AC
// coefficients is sent on its own and refined bit by bit, 48 of them from
// bit 7 and 15 from bit 6. Always byte for byte the same file.

#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int width = 16384, height = 4096;

std::vector<jpeg_scan_info> scanScript()
{
    std::vector<jpeg_scan_info> scans;
    const auto add = [&](int first, int last, int high, int low) { scans.push_back({1, {0}, first, last, high, low}); };
    add(0, 0, 0, 0);
    for (int k = 1; k < 64; ++k) {
        const int top = k <= 48 ? 7 : 6;
        add(k, k, 0, top);
        for (int bit = top; bit > 0; --bit) add(k, k, bit, bit - 1);
    }
    return scans;
}

// Soft waves: little data per block, so the file stays small.
JSAMPLE level(int x, int y)
{
    return static_cast<JSAMPLE>(128 + 90 * std::sin(x / 151.0) * std::cos(y / 97.0));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-scan-heavy-jpeg FILE\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 50, TRUE);
    const std::vector<jpeg_scan_info> scans = scanScript();
    info.scan_info = scans.data();
    info.num_scans = static_cast<int>(scans.size());
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) row[x] = level(x, static_cast<int>(info.next_scanline));
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0 ? 0 : 1;
}
