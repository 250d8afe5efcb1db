#pragma once
// A picture plane: 200 rows by 265 columns of signed 32-bit values. Pixel
// (x, y) of the 256x192 picture is [y][x]; column -1, columns 256..263 and
// rows 192..199 are margins that only receive diffused error, so error
// diffusion at the picture's edges needs no bounds tests.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace dw {

class Plane {
public:
    static constexpr int rows = 200;
    static constexpr int columns = 265;  // x = -1 .. 263

    Plane() : cells_(rows * columns, 0) {}

    int32_t* operator[](int y) { return cells_.data() + y * columns + 1; }
    const int32_t* operator[](int y) const { return cells_.data() + y * columns + 1; }

    void fill(int32_t value) { std::fill(cells_.begin(), cells_.end(), value); }
    // Whole-plane copy, margins included.
    void copyFrom(const Plane& other) { cells_ = other.cells_; }
    bool operator==(const Plane& other) const { return cells_ == other.cells_; }

private:
    std::vector<int32_t> cells_;
};

}  // namespace dw
