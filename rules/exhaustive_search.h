#pragma once

#include "decision_system.h"
#include "progress.h"

#include <cstdint>
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
// number of orders kept, which the listing and the export show.
struct ExhaustiveRules {
    std::vector<RuleSet> rulesByOrder;
    std::uint32_t order = 0;

    bool operator==(const ExhaustiveRules&) const = default;
};

// How a search runs: allOrders searches every order instead of stopping after an order with fewer
// than two entries; threads is the number of threads (0: one per core).
struct ExhaustiveOptions {
    bool allOrders = false;
    unsigned threads = 0;
};

// Runs the exhaustive search for minimal certain rules on table, order by order, until an order
// stores fewer than two entries; the fast search for up to 64 attributes, the straightforward one
// beyond. Gives exactly what searchExhaustiveRulesReference gives. Throws std::bad_alloc when its
// storage cannot be allocated or when an order has more than 2^32 - 1 candidate sets.
ExhaustiveRules searchExhaustiveRules(const SystemDecyzyjny& table);
// The same search as options ask, reporting each object searched (stage = order) to progress; it
// stops early, with partial results, once progress is cancelled.
ExhaustiveRules searchExhaustiveRules(const SystemDecyzyjny& table, Progress& progress,
                                      const ExhaustiveOptions& options);

// The same search done the straightforward way, over a discernibility matrix of
// objectCount * (objectCount - 1) * attributeCount words: the yardstick for the fast search.
// Throws std::bad_alloc when the matrix or a rule list cannot be allocated or sized.
ExhaustiveRules searchExhaustiveRulesReference(const SystemDecyzyjny& table);

// Searches the orders 1, 2, ... of a table with the given number of attributes in turn:
// searchOrder(k) searches order k and returns how many entries it stored, support-0 entries
// included. An order with fewer than two entries ends the search, even when higher orders would
// hold rules; that is the established reading of the results. Returns the number of orders kept:
// the last order searched, or one less when that order stored nothing. With allOrders every order
// is searched and the highest order holding an entry is kept. A cancelled progress stops the turn
// between two orders.
template <typename SearchOrder>
std::uint32_t searchOrdersInTurn(std::uint32_t attributes, SearchOrder searchOrder, bool allOrders = false,
                                 const Progress& progress = noProgress())
{
    std::uint32_t order = 1;
    std::uint64_t entries = 0;
    if (allOrders) {
        std::uint32_t kept = 0;
        for (; order <= attributes && !progress.cancelled(); ++order) {
            kept = searchOrder(order) > 0 ? order : kept;
        }
        return kept;
    }
    while (order <= attributes && !progress.cancelled()) {
        entries = searchOrder(order);
        if (entries < 2) {
            return entries == 0 ? order - 1 : order;
        }
        ++order;
    }
    return order - 1;
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
