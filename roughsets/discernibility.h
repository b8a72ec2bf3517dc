#pragma once

#include "attribute_set.h"
#include "indiscernibility.h"

#include <cstdint>
#include <vector>

// What tells the objects of different decisions apart: the sets of attributes that discern pairs
// of objects, the ground of the core and of every reduct.
namespace kolven {

// Sets the bits of the attributes on which objects x and y differ (set must be cleared).
void discerningAttributes(const CodedTable& table, std::uint32_t x, std::uint32_t y, std::uint64_t* set);

// The discernibility pairs (pairs of objects with different decisions, at least one of them in the
// positive region) summed up by the set of attributes that discerns them: each different set once,
// flat, words words a set, with the number of pairs it discerns.
struct DiscernibilitySets {
    std::uint32_t words = 0;
    std::vector<std::uint64_t> sets;
    std::vector<std::uint64_t> pairs;

    std::size_t size() const { return pairs.size(); }
    const std::uint64_t* set(std::size_t i) const { return sets.data() + i * words; }
};

// Collects the discernibility sets of table, positive being the positive region on every condition
// attribute. Identical objects are compared once. False, with sets untouched, when progress asks
// to stop; throws std::bad_alloc when memory runs out.
bool discernibilitySets(const CodedTable& table, const PositiveRegion& positive, DiscernibilitySets& sets,
                        unsigned threads = 0, Progress& progress = noProgress());

} // namespace kolven
