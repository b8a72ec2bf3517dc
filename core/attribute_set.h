#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// Sets of condition attributes as bit masks, for searches that test many sets against each other.
namespace kolven::attribute_sets {

// Attribute sets are bit masks made of 64-bit words: attribute p is bit p % 64 of word p / 64.
using Word = std::uint64_t;
inline constexpr std::uint32_t kWordBits = 64;

inline Word attributeBit(std::uint32_t p)
{
    return Word(1) << (p % kWordBits);
}

// The words a set of attributes needs (at least one, so that an empty table still has a set).
inline std::uint32_t wordsFor(std::uint32_t attributes)
{
    return std::max<std::uint32_t>(1, (attributes + kWordBits - 1) / kWordBits);
}

inline void addAttribute(Word* set, std::uint32_t p)
{
    set[p / kWordBits] |= attributeBit(p);
}

inline bool hasAttribute(const Word* set, std::uint32_t p)
{
    return (set[p / kWordBits] & attributeBit(p)) != 0;
}

inline bool meets(const Word* a, const Word* b, std::size_t words)
{
    for (std::size_t i = 0; i < words; ++i) {
        if ((a[i] & b[i]) != 0) {
            return true;
        }
    }
    return false;
}

// The bits set in w, counted in registers: without a population-count instruction in the target
// std::popcount becomes a library call, which would cost the search more than its own work.
inline std::uint32_t bitCount(Word w)
{
    w -= (w >> 1) & 0x5555555555555555ULL;
    w = (w & 0x3333333333333333ULL) + ((w >> 2) & 0x3333333333333333ULL);
    w = (w + (w >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
    return static_cast<std::uint32_t>((w * 0x0101010101010101ULL) >> 56);
}

inline std::uint32_t commonCount(const Word* a, const Word* b, std::size_t words)
{
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < words; ++i) {
        count += bitCount(a[i] & b[i]);
    }
    return count;
}

inline std::uint32_t attributeCount(const Word* set, std::size_t words)
{
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < words; ++i) {
        count += bitCount(set[i]);
    }
    return count;
}

// How many attributes a and b share, told only as none (0), one (1) or more (2).
inline std::uint32_t sharedNoneOneOrMore(const Word* a, const Word* b, std::size_t words)
{
    std::uint32_t shared = 0;
    for (std::size_t i = 0; i < words; ++i) {
        const Word common = a[i] & b[i];
        if (common != 0) {
            if (shared != 0 || (common & (common - 1)) != 0) {
                return 2;
            }
            shared = 1;
        }
    }
    return shared;
}

// Every attribute of a belongs to b.
inline bool isSubset(const Word* a, const Word* b, std::size_t words)
{
    for (std::size_t i = 0; i < words; ++i) {
        if ((a[i] & ~b[i]) != 0) {
            return false;
        }
    }
    return true;
}

// Calls visit(p) for each attribute of set, ascending.
template <typename Visit>
void forEachAttribute(const Word* set, std::size_t words, Visit visit)
{
    for (std::size_t i = 0; i < words; ++i) {
        for (Word bits = set[i]; bits != 0; bits &= bits - 1) {
            visit(static_cast<std::uint32_t>(i * kWordBits + std::countr_zero(bits)));
        }
    }
}

// The attributes of set, ascending.
inline std::vector<std::uint32_t> attributesOf(const Word* set, std::size_t words)
{
    std::vector<std::uint32_t> attributes;
    forEachAttribute(set, words, [&](std::uint32_t p) { attributes.push_back(p); });
    return attributes;
}

// Of two sets of the same size, the one whose ascending attribute list comes first: the first
// attribute in which they differ is the lowest bit of their difference.
inline bool lexicographicallyBefore(const Word* a, const Word* b, std::size_t words)
{
    for (std::size_t i = 0; i < words; ++i) {
        if (a[i] != b[i]) {
            const Word difference = a[i] ^ b[i];
            return (a[i] & difference & (~difference + 1)) != 0;
        }
    }
    return false;
}

// Spreads the bits of h over the whole word, for hash tables with a power-of-two number of slots.
inline std::uint64_t mixBits(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

// Gathers the distinct attribute sets of one object after another, in time proportional to the
// sets offered (sorting them would cost a logarithm more). Holds at most maxSets per object.
// Finding the different sets on which an object differs from others is the first step of a
// discernibility computation.
class DistinctSets {
public:
    DistinctSets(std::size_t words, std::size_t maxSets)
        : words_(words), slots_(std::bit_ceil(std::max<std::size_t>(2 * maxSets, 16))), rounds_(slots_.size(), 0)
    {
    }

    // Forgets the sets of the previous object.
    void startObject()
    {
        ++round_;
        distinct_.clear();
    }

    void add(const Word* set)
    {
        const std::size_t last = slots_.size() - 1;
        std::uint64_t hash = 0;
        for (std::size_t i = 0; i < words_; ++i) {
            hash = mixBits(hash ^ set[i]);
        }
        std::size_t slot = hash & last;
        for (; rounds_[slot] == round_; slot = (slot + 1) & last) {
            const Word* other = distinct_.data() + std::size_t(slots_[slot]) * words_;
            // A loop, not std::equal: most sets are one word, which a call to memcmp would cost
            // several times over.
            std::size_t i = 0;
            while (i < words_ && set[i] == other[i]) {
                ++i;
            }
            if (i == words_) {
                return;
            }
        }
        rounds_[slot] = round_;
        slots_[slot] = static_cast<std::uint32_t>(distinct_.size() / words_);
        distinct_.insert(distinct_.end(), set, set + words_);
    }

    // The distinct sets offered since startObject, one after another, in the order first offered.
    const std::vector<Word>& distinct() const { return distinct_; }

private:
    std::size_t words_;
    std::vector<std::uint32_t> slots_;  // the set's number in distinct_
    std::vector<std::uint32_t> rounds_; // the slot holds a set of this object when equal to round_
    std::uint32_t round_ = 0;
    std::vector<Word> distinct_;
};

} // namespace kolven::attribute_sets
