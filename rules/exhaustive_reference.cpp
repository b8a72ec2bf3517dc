// The straightforward exhaustive search: a full discernibility matrix and, for every candidate,
// scans of every other object's cell and rule lists. It is slow but plainly follows the rules of
// the search, so it stays as the yardstick the faster search is compared with.
#include "exhaustive_search.h"

#include "checked_size.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <optional>
#include <utility>

namespace kolven {

namespace {

// Marks the first word of a matrix cell whose two objects have the same decision.
constexpr std::uint32_t kSameDecision = 0xFFFFFFFF;

// A word count that one vector can hold; larger counts fail like exhausted memory.
std::size_t vectorWords(std::uint64_t words)
{
    if (words > std::vector<std::uint32_t>().max_size()) {
        throw std::bad_alloc();
    }
    return static_cast<std::size_t>(words);
}

// One cell of attributeCount words for every pair of objects, built once so that the consistency
// test costs one word per attribute and pair. A pair with equal decisions has kSameDecision in its
// first word and nothing else; otherwise word p holds p when the two objects agree on attribute p
// and attributeCount when they differ, so a word below attributeCount means "agree".
class DiscernibilityMatrix {
public:
    explicit DiscernibilityMatrix(const SystemDecyzyjny& table)
        : columns_(table.objectCount == 0 ? 0 : table.objectCount - 1),
          attributes_(table.attributeCount),
          words_(vectorWords(checkedProduct({table.objectCount, columns_, attributes_})))
    {
        for (std::uint32_t i = 0; i + 1 < table.objectCount; ++i) {
            for (std::uint32_t j = i + 1; j < table.objectCount; ++j) {
                fillCell(table, i, j);
            }
        }
    }

    // The cell of two different objects, in either order.
    const std::uint32_t* cell(std::uint32_t x, std::uint32_t y) const
    {
        return words_.data() + blockOffset(std::min(x, y), std::max(x, y));
    }

private:
    // Cell (i, j) with i < j lies in row j, column i.
    std::size_t blockOffset(std::uint32_t i, std::uint32_t j) const
    {
        return (std::size_t(j) * columns_ + i) * attributes_;
    }

    void fillCell(const SystemDecyzyjny& table, std::uint32_t i, std::uint32_t j)
    {
        const std::uint32_t a = table.attributeCount;
        if (a == 0) {
            return;
        }
        std::uint32_t* words = words_.data() + blockOffset(i, j);
        if (table.decision(i) == table.decision(j)) {
            words[0] = kSameDecision;
            return;
        }
        for (std::uint32_t p = 0; p < a; ++p) {
            words[p] = table.value(i, p) == table.value(j, p) ? p : a;
        }
    }

    std::size_t columns_;
    std::size_t attributes_;
    std::vector<std::uint32_t> words_;
};

using Candidate = std::vector<std::uint32_t>;

// True when the m attributes of a stored entry all belong to the candidate set.
bool isSubset(const std::uint32_t* entry, std::uint32_t m, const Candidate& candidate)
{
    return std::includes(candidate.begin(), candidate.end(), entry, entry + m);
}

// The search of one table. It keeps the state that the order-by-order search shares between
// objects: the rule sets found so far and the count of entries stored at the current order.
class ExhaustiveSearch {
public:
    ExhaustiveSearch(const SystemDecyzyjny& table, bool allOrders)
        : table_(table), discernibility_(table), attributes_(table.attributeCount), allOrders_(allOrders)
    {
    }

    ExhaustiveRules run();

private:
    // Searches order k for every object; returns the number of entries it stored.
    std::uint64_t searchOrder(std::uint32_t k);
    RuleList searchObjectRules(std::uint32_t x);
    bool isConsistent(std::uint32_t x, const Candidate& candidate) const;
    bool containsOwnRule(std::uint32_t x, const Candidate& candidate) const;
    bool coveredByOtherObject(std::uint32_t x, const Candidate& candidate);
    bool covers(const std::uint32_t* entry, std::uint32_t m, std::uint32_t owner, std::uint32_t x,
                const Candidate& candidate) const;
    void append(const Candidate& candidate, std::uint32_t support);

    const SystemDecyzyjny& table_;
    DiscernibilityMatrix discernibility_;
    const std::uint32_t attributes_;
    const bool allOrders_;
    std::vector<RuleSet> rulesByOrder_;
    std::uint32_t order_ = 1;
    std::uint64_t entriesAtOrder_ = 0;
    // The list of the object being searched, reserved once per order for every candidate.
    RuleList working_;
};

ExhaustiveRules ExhaustiveSearch::run()
{
    rulesByOrder_.resize(std::size_t(attributes_) + 1);
    const std::uint32_t kept =
        *searchOrdersInTurn(attributes_, allOrders_, [this](std::uint32_t k) { return std::optional(searchOrder(k)); });
    if (allOrders_) {
        rulesByOrder_.resize(std::size_t(kept) + 1);
    }
    return {std::move(rulesByOrder_), kept};
}

std::uint64_t ExhaustiveSearch::searchOrder(std::uint32_t k)
{
    order_ = k;
    entriesAtOrder_ = 0;
    // Room for every k-subset of the attributes and the closing word.
    const std::uint64_t capacity =
        checkedProduct({std::uint64_t(order_) + 1, binomialCoefficient(attributes_, order_)}) + 1;
    working_.reserve(vectorWords(capacity));
    RuleSet& rules = rulesByOrder_[order_];
    rules.resize(table_.objectCount);
    for (std::uint32_t x = 0; x < table_.objectCount; ++x) {
        rules[x] = searchObjectRules(x);
    }
    return entriesAtOrder_;
}

// Tries every k-subset of the attributes for object x, k being the current order, and returns
// the entries stored for x (empty when there are none).
RuleList ExhaustiveSearch::searchObjectRules(std::uint32_t x)
{
    const std::uint32_t k = order_;
    CombinationCursor cursor;
    cursor.reset(k, attributes_);
    working_.clear();
    do {
        const Candidate& candidate = cursor.current();
        if (!isConsistent(x, candidate)) {
            continue;
        }
        if (k > 1 && containsOwnRule(x, candidate)) {
            continue;
        }
        if (coveredByOtherObject(x, candidate)) {
            // A repeated single-attribute rule stays in x's list without support, so that x's
            // own lists at order 1 show every attribute that decides it.
            if (k == 1) {
                append(candidate, 0);
            }
            continue;
        }
        append(candidate, 1);
    } while (cursor.advance());

    if (working_.empty()) {
        return {};
    }
    entriesAtOrder_ += working_.size() / (std::size_t(k) + 1);
    working_.push_back(kRuleListEnd);
    return RuleList(working_.begin(), working_.end());
}

// x differs on some attribute of the candidate from every object with another decision.
bool ExhaustiveSearch::isConsistent(std::uint32_t x, const Candidate& candidate) const
{
    for (std::uint32_t y = 0; y < table_.objectCount; ++y) {
        if (y == x) {
            continue;
        }
        const std::uint32_t* cell = discernibility_.cell(x, y);
        if (cell[0] == kSameDecision) {
            continue;
        }
        std::uint32_t agreeing = 0;
        for (std::uint32_t p : candidate) {
            if (cell[p] < attributes_) {
                ++agreeing;
            }
        }
        if (agreeing == candidate.size()) {
            return false;
        }
    }
    return true;
}

// Some lower-order entry of x itself (support-0 entries included) lies inside the candidate.
bool ExhaustiveSearch::containsOwnRule(std::uint32_t x, const Candidate& candidate) const
{
    for (std::uint32_t m = 1; m < order_; ++m) {
        const RuleList& list = rulesByOrder_[m][x];
        if (list.empty()) {
            continue;
        }
        for (const std::uint32_t* entry = list.data(); *entry != kRuleListEnd; entry += m + 1) {
            if (isSubset(entry, m, candidate)) {
                return true;
            }
        }
    }
    return false;
}

// Looks for a rule of another object with x's decision that lies inside the candidate with x's
// values: lower orders in every other object, the current order in earlier objects. The first one
// found decides; at the current order it is the candidate itself, whose support then grows by one.
bool ExhaustiveSearch::coveredByOtherObject(std::uint32_t x, const Candidate& candidate)
{
    const float dx = table_.decision(x);
    for (std::uint32_t m = 1; m <= order_; ++m) {
        const std::uint32_t objectsWithList = m == order_ ? x : table_.objectCount;
        for (std::uint32_t o = 0; o < objectsWithList; ++o) {
            if (o == x || !(table_.decision(o) == dx)) {
                continue;
            }
            RuleList& list = rulesByOrder_[m][o];
            if (list.empty()) {
                continue;
            }
            for (std::uint32_t* entry = list.data(); *entry != kRuleListEnd; entry += m + 1) {
                if (covers(entry, m, o, x, candidate)) {
                    if (m == order_) {
                        ++entry[m];
                    }
                    return true;
                }
            }
        }
    }
    return false;
}

// The entry of owner lies inside the candidate, and owner and x agree on its attributes.
bool ExhaustiveSearch::covers(const std::uint32_t* entry, std::uint32_t m, std::uint32_t owner, std::uint32_t x,
                              const Candidate& candidate) const
{
    if (!isSubset(entry, m, candidate)) {
        return false;
    }
    return std::all_of(entry, entry + m, [&](std::uint32_t p) { return table_.value(owner, p) == table_.value(x, p); });
}

void ExhaustiveSearch::append(const Candidate& candidate, std::uint32_t support)
{
    working_.insert(working_.end(), candidate.begin(), candidate.end());
    working_.push_back(support);
}

} // namespace

ExhaustiveRules searchExhaustiveRulesReference(const SystemDecyzyjny& table, bool allOrders)
{
    ExhaustiveSearch search(table, allOrders);
    return search.run();
}

} // namespace kolven
