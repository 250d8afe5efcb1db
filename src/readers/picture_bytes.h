#pragma once
// Storage for the bytes of a picture. A new block comes from calloc, whose
// large blocks are fresh zero pages from the system, and an element made
// without a value keeps that zero without being written: a picture costs only
// the bytes its decoder writes, and whatever no decoder wrote reads as zero.
//
// Make a buffer at its full size (`PictureBytes(n)`); growing one again after
// shrinking it would bring back its old bytes instead of zeros.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace dw {

template <class T>
struct ZeroPagesAllocator {
    using value_type = T;

    ZeroPagesAllocator() = default;
    template <class U>
    ZeroPagesAllocator(const ZeroPagesAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t n)
    {
        if (void* block = std::calloc(n, sizeof(T))) return static_cast<T*>(block);
        throw std::bad_alloc();
    }
    void deallocate(T* block, size_t) noexcept { std::free(block); }

    template <class U>
    void construct(U*) noexcept
    {
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const ZeroPagesAllocator<U>&) const noexcept
    {
        return true;
    }
};

using PictureBytes = std::vector<uint8_t, ZeroPagesAllocator<uint8_t>>;

}  // namespace dw
