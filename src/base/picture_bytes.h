#pragma once
// Storage for the bytes of a picture, made at its full size and all zero. The
// block comes from calloc, whose large blocks are fresh zero pages from the
// system: the zeros cost nothing, a picture costs only the bytes its decoder
// writes, and whatever no decoder wrote reads as zero.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <utility>

namespace dw {

class PictureBytes {
public:
    using value_type = uint8_t;
    using iterator = uint8_t*;
    using const_iterator = const uint8_t*;

    PictureBytes() = default;
    explicit PictureBytes(size_t size) : bytes_(allocate(size)), size_(size) {}
    PictureBytes(std::initializer_list<uint8_t> bytes) : PictureBytes(bytes.size())
    {
        std::copy(bytes.begin(), bytes.end(), data());
    }
    PictureBytes(const PictureBytes& other) : PictureBytes(other.size_)
    {
        if (size_ > 0) std::memcpy(data(), other.data(), size_);
    }
    PictureBytes(PictureBytes&& other) noexcept
        : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0))
    {
    }
    PictureBytes& operator=(const PictureBytes& other) { return *this = PictureBytes(other); }
    PictureBytes& operator=(PictureBytes&& other) noexcept
    {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    uint8_t* begin() { return data(); }
    uint8_t* end() { return data() + size_; }
    const uint8_t* begin() const { return data(); }
    const uint8_t* end() const { return data() + size_; }
    uint8_t& operator[](size_t at) { return bytes_[at]; }
    const uint8_t& operator[](size_t at) const { return bytes_[at]; }
    void clear() { *this = PictureBytes(); }
    // Keeps the first `size` bytes, in the same block.
    void shrink(size_t size) { size_ = std::min(size, size_); }

    friend bool operator==(const PictureBytes& a, const PictureBytes& b)
    {
        return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data(), b.data(), a.size_) == 0);
    }

private:
    struct Free {
        void operator()(uint8_t* block) const { std::free(block); }
    };

    static uint8_t* allocate(size_t size)
    {
        if (size == 0) return nullptr;
        if (void* block = std::calloc(size, 1)) return static_cast<uint8_t*>(block);
        throw std::bad_alloc();
    }

    std::unique_ptr<uint8_t[], Free> bytes_;
    size_t size_ = 0;
};

}  // namespace dw
