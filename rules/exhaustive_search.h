#pragma once

#include "decision_system.h"
#include "progress.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kolven {

// Closes every rule list: the word where the next entry would begin.
inline constexpr std::uint32_t kRuleListEnd = 0xFFFFFFFF;

// One object's rules at one order k: entries of k + 1 words (the k attribute indices, strictly
// ascending, then the support), closed by kRuleListEnd. Empty when the object has no entry.
using RuleList = std::vector<std::uint32_t>;
// The rule lists of one order, indexed by object; empty for an order that was never searched.
using RuleSet = std::vector<RuleList>;

// What the exhaustive search found: the rule sets indexed by order (index 0 unused) and the
// number of orders kept, which the listing and the export show. After a search of all orders
// only the orders kept have a place.
struct ExhaustiveRules {
    std::vector<RuleSet> rulesByOrder;
    std::uint32_t order = 0;

    bool operator==(const ExhaustiveRules&) const = default;
};

// How the exhaustive search runs. allOrders: search every order from 1 to the number of
// attributes, whatever an order stores, and keep the orders up to the highest that stores an
// entry; without it the search ends after the first order storing fewer than two entries.
// threads: how many threads share the work of an order (0: one per core); the results do not
// depend on it.
struct ExhaustiveOptions {
    bool allOrders = false;
    unsigned threads = 0;
};

// Runs the exhaustive search for minimal certain rules on table, order by order, for any number
// of attributes. Gives exactly what searchExhaustiveRulesReference gives. Reports the order being
// searched and the objects done of it to progress, and returns nothing when progress asks it to
// stop. Throws std::bad_alloc when its storage or the rules cannot be allocated.
std::optional<ExhaustiveRules> searchExhaustiveRules(const SystemDecyzyjny& table, const ExhaustiveOptions& options = {},
                                                     Progress& progress = noProgress());

// The same search done the straightforward way, over a discernibility matrix of
// objectCount * (objectCount - 1) * attributeCount words, trying every candidate set of every
// order: the yardstick for the fast search. Throws std::bad_alloc when the matrix or a rule list
// cannot be allocated or sized, or when an order has more than 2^32 - 1 candidate sets.
ExhaustiveRules searchExhaustiveRulesReference(const SystemDecyzyjny& table, bool allOrders = false);

// Searches the orders 1, 2, ... of a table with the given number of attributes in turn:
// searchOrder(k) searches order k and returns how many entries it stored, support-0 entries
// included, or nothing when the search was stopped. Without allOrders an order with fewer than
// two entries ends the search, even when higher orders would hold rules; that is the established
// reading of the results. Returns the number of orders kept: the highest order searched that
// stored an entry (0 when none did), or nothing when the search was stopped.
template <typename SearchOrder>
std::optional<std::uint32_t> searchOrdersInTurn(std::uint32_t attributes, bool allOrders, SearchOrder searchOrder)
{
    std::uint32_t kept = 0;
    for (std::uint32_t order = 1; order <= attributes; ++order) {
        const std::optional<std::uint64_t> entries = searchOrder(order);
        if (!entries) {
            return std::nullopt;
        }
        kept = *entries > 0 ? order : kept;
        if (!allOrders && *entries < 2) {
            break;
        }
    }
    return kept;
}

// The exact binomial coefficient C(n, k) (0 when k > n). Throws std::bad_alloc when it exceeds
// the 32-bit range, since that many candidates could never be stored.
std::uint32_t binomialCoefficient(std::uint32_t n, std::uint32_t k);

// Walks the k-element subsets of {0, ..., n - 1} in lexicographic order.
class CombinationCursor {
public:
    // Starts at {0, 1, ..., k - 1} with total = C(n, k); needs k <= n. Throws std::bad_alloc when
    // C(n, k) exceeds the 32-bit range.
    void reset(std::uint32_t k, std::uint32_t n);
    // Steps to the lexicographic successor; returns false, leaving the subset as it was, when the
    // subset is already the last one, {n - k, ..., n - 1}.
    bool advance();

    // The current subset, strictly ascending.
    const std::vector<std::uint32_t>& current() const { return current_; }
    std::uint32_t size() const { return size_; }
    std::uint32_t universe() const { return universe_; }
    std::uint32_t total() const { return total_; }

private:
    std::uint32_t size_ = 0;
    std::uint32_t universe_ = 0;
    std::uint32_t total_ = 0;
    std::vector<std::uint32_t> current_;
};

} // namespace kolven
