#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <new>

namespace kolven {

// Multiplies counts in 64-bit arithmetic. A product that wraps around cannot be allocated, so it
// throws std::bad_alloc instead of yielding a short array.
inline std::uint64_t checkedProduct(std::initializer_list<std::uint64_t> factors)
{
    std::uint64_t product = 1;
    for (std::uint64_t factor : factors) {
        if (__builtin_mul_overflow(product, factor, &product)) {
            throw std::bad_alloc();
        }
    }
    return product;
}

// The same product, which must also fit the unsigned 32-bit counts the tables keep.
inline std::uint32_t checkedCount(std::initializer_list<std::uint64_t> factors)
{
    const std::uint64_t product = checkedProduct(factors);
    if (product > UINT32_MAX) {
        throw std::bad_alloc();
    }
    return static_cast<std::uint32_t>(product);
}

} // namespace kolven
