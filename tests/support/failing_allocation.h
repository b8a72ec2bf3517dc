#pragma once

// Allocation failures on demand, as an exhausted heap gives them: while failAfter(n) is armed,
// the allocation after n successful ones throws std::bad_alloc. The replaced operator new is
// global: include this header in exactly one file of a test program.

#include <atomic>
#include <cstdlib>
#include <new>

namespace kolven::testing {

inline std::atomic<long> allocationsBeforeFailure{-1};

inline void failAfter(long allocations) { allocationsBeforeFailure = allocations; }
inline void disarmFailure() { allocationsBeforeFailure = -1; }

inline void* allocate(std::size_t size)
{
    long left = allocationsBeforeFailure;
    while (left >= 0 && !allocationsBeforeFailure.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace kolven::testing

void* operator new(std::size_t size) { return kolven::testing::allocate(size); }
void* operator new[](std::size_t size) { return kolven::testing::allocate(size); }
// The nothrow forms too (a stable sort asks for its buffer with them), so that every form of new
// that the library uses is freed by the matching delete below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return kolven::testing::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
