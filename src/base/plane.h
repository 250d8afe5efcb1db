#pragma once
// A picture plane: 200 rows by 265 columns of signed 32-bit values. Pixel
// (x, y) of the 256x192 picture is [y][x]; column -1, columns 256..263 and
// rows 192..199 are margins that only receive diffused error, so error
// diffusion at the picture's edges needs no bounds tests.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace dw {

class Plane {
public:
    static constexpr int rows = 200;
    static constexpr int columns = 265;  // x = -1 .. 263
    static constexpr size_t cells = static_cast<size_t>(rows) * columns;

    // All zero. The cells come from calloc, whose large blocks are fresh zero
    // pages: a plane a run never touches costs nothing.
    Plane() : cells_(allocate()) {}
    Plane(const Plane& other) : Plane() { copyFrom(other); }
    Plane& operator=(const Plane& other)
    {
        copyFrom(other);
        return *this;
    }

    int32_t* operator[](int y) { return cells_.get() + y * columns + 1; }
    const int32_t* operator[](int y) const { return cells_.get() + y * columns + 1; }

    void fill(int32_t value) { std::fill_n(cells_.get(), cells, value); }
    // Whole-plane copy, margins included.
    void copyFrom(const Plane& other)
    {
        if (&other != this) std::memcpy(cells_.get(), other.cells_.get(), cells * sizeof(int32_t));
    }
    bool operator==(const Plane& other) const
    {
        return std::memcmp(cells_.get(), other.cells_.get(), cells * sizeof(int32_t)) == 0;
    }

private:
    struct Free {
        void operator()(int32_t* block) const { std::free(block); }
    };

    static int32_t* allocate()
    {
        if (void* block = std::calloc(cells, sizeof(int32_t))) return static_cast<int32_t*>(block);
        throw std::bad_alloc();
    }

    std::unique_ptr<int32_t[], Free> cells_;
};

}  // namespace dw
