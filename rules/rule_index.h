#pragma once

#include "attribute_set.h"
#include "decision_system.h"
#include "exhaustive_search.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace kolven {

// The bits of a value for hashing; -0 hashes like 0 because it compares equal to it.
inline std::uint32_t hashedBits(float value)
{
    return value == 0.0f ? 0u : std::bit_cast<std::uint32_t>(value);
}

// Where a rule of the order being searched lies: its owner's list and the entry's first word.
struct StoredRule {
    std::uint64_t hash;
    std::uint32_t owner;
    std::uint32_t offset;
};

// The rules stored so far at the order being searched, found by attribute list, the owner's
// values on it and its decision. A minimal consistent set of an object repeats an earlier
// object's rule exactly when it finds that rule here, so the covering test needs no scan of the
// earlier objects' lists. Only the first holder of a rule is indexed: that is the one whose
// support grows.
class RuleIndex {
public:
    explicit RuleIndex(const SystemDecyzyjny& table) : table_(table) {}

    void startOrder(const RuleSet& rules, std::uint32_t order)
    {
        rules_ = &rules;
        order_ = order;
        stored_.clear();
        slots_.assign(kInitialSlots, 0);
    }

    // The indexed rule with the attributes, x's values on them and x's decision; null if none.
    const StoredRule* find(const std::uint32_t* attributes, std::uint32_t x) const
    {
        const std::uint64_t hash = hashOf(attributes, x);
        for (std::size_t slot = hash & (slots_.size() - 1); slots_[slot] != 0; slot = (slot + 1) & (slots_.size() - 1)) {
            const StoredRule& rule = stored_[slots_[slot] - 1];
            if (rule.hash == hash && matches(rule, attributes, x)) {
                return &rule;
            }
        }
        return nullptr;
    }

    // Indexes the rule that owner stores at offset of its list.
    void insert(std::uint32_t owner, std::uint32_t offset)
    {
        // Slots number rules in 32 bits; more rules than that fail like exhausted memory.
        if (stored_.size() >= UINT32_MAX) {
            throw std::bad_alloc();
        }
        if ((stored_.size() + 1) * 2 > slots_.size()) {
            grow();
        }
        stored_.push_back({hashOf((*rules_)[owner].data() + offset, owner), owner, offset});
        place(stored_.size() - 1);
    }

private:
    static constexpr std::size_t kInitialSlots = 64;

    std::uint64_t hashOf(const std::uint32_t* attributes, std::uint32_t x) const
    {
        const float* row = table_.row(x);
        std::uint64_t hash = 0;
        for (std::uint32_t t = 0; t < order_; ++t) {
            hash = attribute_sets::mixBits(hash ^ (std::uint64_t(attributes[t]) << 32 | hashedBits(row[attributes[t]])));
        }
        return attribute_sets::mixBits(hash ^ hashedBits(row[table_.attributeCount]));
    }

    // Same attributes, and the owner's values and decision equal x's (a NaN matches nothing).
    bool matches(const StoredRule& rule, const std::uint32_t* attributes, std::uint32_t x) const
    {
        const std::uint32_t* entry = (*rules_)[rule.owner].data() + rule.offset;
        if (!std::equal(attributes, attributes + order_, entry)) {
            return false;
        }
        const float* own = table_.row(x);
        const float* owner = table_.row(rule.owner);
        return own[table_.attributeCount] == owner[table_.attributeCount] &&
               std::all_of(entry, entry + order_, [&](std::uint32_t p) { return own[p] == owner[p]; });
    }

    void place(std::size_t rule)
    {
        std::size_t slot = stored_[rule].hash & (slots_.size() - 1);
        while (slots_[slot] != 0) {
            slot = (slot + 1) & (slots_.size() - 1);
        }
        slots_[slot] = static_cast<std::uint32_t>(rule + 1);
    }

    void grow()
    {
        slots_.assign(slots_.size() * 2, 0);
        for (std::size_t rule = 0; rule < stored_.size(); ++rule) {
            place(rule);
        }
    }

    const SystemDecyzyjny& table_;
    const RuleSet* rules_ = nullptr;
    std::uint32_t order_ = 0;
    std::vector<StoredRule> stored_;
    std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(kInitialSlots, 0);
};

} // namespace kolven
