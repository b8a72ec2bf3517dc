#include "exhaustive_search.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <new>
#include <span>
#include <utility>

namespace kolven {

namespace {

// A set of condition attributes, one bit per attribute: the fast search serves tables of up to
// 64 attributes.
using AttributeSet = std::uint64_t;
constexpr std::uint32_t kMaxFastAttributes = 64;

AttributeSet attributeBit(std::uint32_t p)
{
    return AttributeSet(1) << p;
}

// The attributes after p.
AttributeSet attributesAfter(std::uint32_t p)
{
    return ~((AttributeSet(2) << p) - 1);
}

std::uint32_t attributeCountOf(AttributeSet set)
{
    return static_cast<std::uint32_t>(std::popcount(set));
}

// Calls visit(p) for each attribute of set, ascending.
template <typename Visit>
void forEachAttribute(AttributeSet set, Visit visit)
{
    for (; set != 0; set &= set - 1) {
        visit(static_cast<std::uint32_t>(std::countr_zero(set)));
    }
}

std::uint64_t mixBits(std::uint64_t h)
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
class DistinctSets {
public:
    explicit DistinctSets(std::size_t maxSets)
        : sets_(std::bit_ceil(std::max<std::size_t>(2 * maxSets, 16))), rounds_(sets_.size(), 0)
    {
    }

    // Forgets the sets of the previous object.
    void startObject()
    {
        ++round_;
        distinct_.clear();
    }

    void add(AttributeSet set)
    {
        const std::size_t last = sets_.size() - 1;
        std::size_t slot = mixBits(set) & last;
        for (; rounds_[slot] == round_; slot = (slot + 1) & last) {
            if (sets_[slot] == set) {
                return;
            }
        }
        rounds_[slot] = round_;
        sets_[slot] = set;
        distinct_.push_back(set);
    }

    // The distinct sets offered since startObject, in the order first offered.
    const std::vector<AttributeSet>& distinct() const { return distinct_; }

private:
    std::vector<AttributeSet> sets_;
    std::vector<std::uint32_t> rounds_; // the slot holds a set of this object when equal to round_
    std::uint32_t round_ = 0;
    std::vector<AttributeSet> distinct_;
};

// For each object, the minimal sets of attributes on which it differs from an object of another
// decision. A candidate set tells the object from all of them exactly when it meets every such
// set, and a set that contains another adds nothing, so only the minimal ones are kept: they
// take far less room than a discernibility matrix. An object that agrees with an object of
// another decision everywhere has the empty set, which nothing meets.
class DiscerningSets {
public:
    explicit DiscerningSets(const SystemDecyzyjny& table)
    {
        starts_.reserve(std::size_t(table.objectCount) + 1);
        starts_.push_back(0);
        DistinctSets differing(table.objectCount);
        for (std::uint32_t x = 0; x < table.objectCount; ++x) {
            collect(table, x, differing);
            keepMinimal(differing.distinct());
            starts_.push_back(sets_.size());
        }
    }

    // The minimal discerning sets of x, smaller ones first.
    std::span<const AttributeSet> of(std::uint32_t x) const
    {
        return {sets_.data() + starts_[x], sets_.data() + starts_[x + 1]};
    }

private:
    static void collect(const SystemDecyzyjny& table, std::uint32_t x, DistinctSets& all)
    {
        all.startObject();
        const float* own = table.row(x);
        for (std::uint32_t y = 0; y < table.objectCount; ++y) {
            const float* other = table.row(y);
            // x itself is skipped by index, not by its decision, which may be a NaN.
            if (y == x || own[table.attributeCount] == other[table.attributeCount]) {
                continue;
            }
            AttributeSet differing = 0;
            for (std::uint32_t p = 0; p < table.attributeCount; ++p) {
                if (!(own[p] == other[p])) {
                    differing |= attributeBit(p);
                }
            }
            all.add(differing);
        }
    }

    // Appends the sets of distinct that contain no other. Sorted by size, every proper subset of a
    // set is already kept when the set comes up.
    void keepMinimal(const std::vector<AttributeSet>& distinct)
    {
        bySize_.clear();
        for (AttributeSet set : distinct) {
            bySize_.emplace_back(attributeCountOf(set), set);
        }
        std::sort(bySize_.begin(), bySize_.end());
        const std::size_t first = sets_.size();
        for (const auto& sized : bySize_) {
            const AttributeSet set = sized.second;
            const bool containsKept = std::any_of(sets_.begin() + std::ptrdiff_t(first), sets_.end(),
                                                  [set](AttributeSet kept) { return (kept & ~set) == 0; });
            if (!containsKept) {
                sets_.push_back(set);
            }
        }
    }

    std::vector<AttributeSet> sets_;
    std::vector<std::size_t> starts_;
    std::vector<std::pair<std::uint32_t, AttributeSet>> bySize_;
};

// The bits of a value for hashing; -0 hashes like 0 because it compares equal to it.
std::uint32_t hashedBits(float value)
{
    return value == 0.0f ? 0u : std::bit_cast<std::uint32_t>(value);
}

// Where a rule of the order being searched lies: its owner's list and the entry's first word.
struct StoredRule {
    AttributeSet attributes;
    std::uint64_t hash;
    std::uint32_t owner;
    std::uint32_t offset;
};

// The rules stored so far at the order being searched, found by attribute set, the owner's values
// on it and its decision. A candidate is the repeat of an earlier object's rule exactly when it
// finds that rule here, so the covering test needs no scan of the earlier objects' lists. Only
// the first holder of a rule is indexed: that is the one whose support grows.
class RuleIndex {
public:
    explicit RuleIndex(const SystemDecyzyjny& table) : table_(table) {}

    void clear()
    {
        rules_.clear();
        slots_.assign(kInitialSlots, 0);
    }

    // The indexed rule with the attribute set, x's values on it and x's decision; null if none.
    const StoredRule* find(AttributeSet attributes, std::uint32_t x) const
    {
        const std::uint64_t hash = hashOf(attributes, x);
        for (std::size_t slot = hash & (slots_.size() - 1); slots_[slot] != 0; slot = (slot + 1) & (slots_.size() - 1)) {
            const StoredRule& rule = rules_[slots_[slot] - 1];
            if (rule.hash == hash && matches(rule, attributes, x)) {
                return &rule;
            }
        }
        return nullptr;
    }

    // Indexes the rule that owner stores with the attribute set at offset of its list.
    void insert(AttributeSet attributes, std::uint32_t owner, std::uint32_t offset)
    {
        // Slots number rules in 32 bits; more rules than that fail like exhausted memory.
        if (rules_.size() >= UINT32_MAX) {
            throw std::bad_alloc();
        }
        if ((rules_.size() + 1) * 2 > slots_.size()) {
            grow();
        }
        rules_.push_back({attributes, hashOf(attributes, owner), owner, offset});
        place(rules_.size() - 1);
    }

private:
    static constexpr std::size_t kInitialSlots = 64;

    std::uint64_t hashOf(AttributeSet attributes, std::uint32_t x) const
    {
        const float* row = table_.row(x);
        std::uint64_t hash = mixBits(attributes);
        forEachAttribute(attributes, [&](std::uint32_t p) { hash = mixBits(hash ^ hashedBits(row[p])); });
        return mixBits(hash ^ hashedBits(row[table_.attributeCount]));
    }

    // Same attributes, and the owner's values and decision equal x's (a NaN matches nothing).
    bool matches(const StoredRule& rule, AttributeSet attributes, std::uint32_t x) const
    {
        if (rule.attributes != attributes) {
            return false;
        }
        const float* own = table_.row(x);
        const float* owner = table_.row(rule.owner);
        bool equal = own[table_.attributeCount] == owner[table_.attributeCount];
        forEachAttribute(attributes, [&](std::uint32_t p) { equal = equal && own[p] == owner[p]; });
        return equal;
    }

    void place(std::size_t rule)
    {
        std::size_t slot = rules_[rule].hash & (slots_.size() - 1);
        while (slots_[slot] != 0) {
            slot = (slot + 1) & (slots_.size() - 1);
        }
        slots_[slot] = static_cast<std::uint32_t>(rule + 1);
    }

    void grow()
    {
        slots_.assign(slots_.size() * 2, 0);
        for (std::size_t rule = 0; rule < rules_.size(); ++rule) {
            place(rule);
        }
    }

    const SystemDecyzyjny& table_;
    std::vector<StoredRule> rules_;
    std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(kInitialSlots, 0);
};

// The search for tables of up to 64 attributes. It stores the same entries, in the same order and
// with the same supports, as the straightforward search; only the tests are done differently.
// For an order k > 1, a candidate that is consistent for the object survives the tests against
// its own and the other objects' lower-order rules exactly when none of its proper subsets is
// consistent (every consistent smaller set left such a rule behind, and every such rule is a
// consistent smaller set). So a candidate is kept when it meets every minimal discerning set and
// each of its attributes is the only one it shares with one of them; and the candidate sets are
// walked depth first, in the same lexicographic order, dropping every branch where that can no
// longer hold.
class FastExhaustiveSearch {
public:
    FastExhaustiveSearch(const SystemDecyzyjny& table, Progress& progress, bool allOrders)
        : table_(table), attributes_(table.attributeCount), progress_(progress), allOrders_(allOrders),
          discerning_(table), index_(table)
    {
    }

    ExhaustiveRules run();

private:
    // Searches order k for every object; returns the number of entries it stored.
    std::uint64_t searchOrder(std::uint32_t k);
    RuleList searchObjectRules(std::uint32_t x);
    void extend(std::uint32_t chosenCount, std::uint32_t next, AttributeSet chosen);
    bool mayLeadToRule(AttributeSet chosen, AttributeSet open) const;
    void consider(AttributeSet candidate);
    void append(AttributeSet candidate, std::uint32_t support);

    const SystemDecyzyjny& table_;
    const std::uint32_t attributes_;
    Progress& progress_;
    const bool allOrders_;
    DiscerningSets discerning_;
    RuleIndex index_;
    std::vector<RuleSet> rulesByOrder_;
    std::uint32_t order_ = 1;
    std::uint64_t entriesAtOrder_ = 0;

    // The object being searched: its minimal discerning sets, its list so far and the new rules
    // in it, which are indexed once the object is done.
    std::uint32_t object_ = 0;
    std::span<const AttributeSet> objectSets_;
    RuleList working_;
    std::vector<std::pair<AttributeSet, std::uint32_t>> newRules_;
};

ExhaustiveRules FastExhaustiveSearch::run()
{
    rulesByOrder_.resize(std::size_t(attributes_) + 1);
    const std::uint32_t kept =
        searchOrdersInTurn(attributes_, [this](std::uint32_t k) { return searchOrder(k); }, allOrders_, progress_);
    return {std::move(rulesByOrder_), kept};
}

std::uint64_t FastExhaustiveSearch::searchOrder(std::uint32_t k)
{
    order_ = k;
    entriesAtOrder_ = 0;
    // An order whose candidates cannot be counted in 32 bits fails as it does in the
    // straightforward search, so that both end alike.
    binomialCoefficient(attributes_, order_);
    index_.clear();
    RuleSet& rules = rulesByOrder_[order_];
    rules.resize(table_.objectCount);
    for (std::uint32_t x = 0; x < table_.objectCount && !progress_.cancelled(); ++x) {
        progress_.report(order_, x, table_.objectCount);
        rules[x] = searchObjectRules(x);
        for (const auto& [attributes, offset] : newRules_) {
            index_.insert(attributes, x, offset);
        }
    }
    return entriesAtOrder_;
}

// The entries stored for object x at the current order (empty when there are none).
RuleList FastExhaustiveSearch::searchObjectRules(std::uint32_t x)
{
    object_ = x;
    objectSets_ = discerning_.of(x);
    working_.clear();
    newRules_.clear();
    extend(0, 0, 0);
    if (working_.empty()) {
        return {};
    }
    entriesAtOrder_ += working_.size() / (std::size_t(order_) + 1);
    working_.push_back(kRuleListEnd);
    return RuleList(working_.begin(), working_.end());
}

// Adds each attribute from next on to chosen (which holds chosenCount attributes, all before
// next), in ascending order, and goes on with the sets that may still give a rule.
void FastExhaustiveSearch::extend(std::uint32_t chosenCount, std::uint32_t next, AttributeSet chosen)
{
    const std::uint32_t stillToChoose = order_ - chosenCount - 1;
    for (std::uint32_t p = next; p + stillToChoose < attributes_; ++p) {
        const AttributeSet grown = chosen | attributeBit(p);
        const AttributeSet open = stillToChoose == 0 ? 0 : attributesAfter(p);
        if (!mayLeadToRule(grown, open)) {
            continue;
        }
        if (stillToChoose == 0) {
            consider(grown);
        } else {
            extend(chosenCount + 1, p + 1, grown);
        }
    }
}

// False when no set made of chosen and attributes from open can be a minimal consistent set of
// the object: a discerning set that neither meets, or an attribute of chosen that is no longer
// the only one chosen shares with some discerning set (adding attributes cannot make it so
// again). With nothing open this is the exact test. At order 1 minimality is not asked for.
bool FastExhaustiveSearch::mayLeadToRule(AttributeSet chosen, AttributeSet open) const
{
    AttributeSet metAlone = 0;
    for (AttributeSet discerning : objectSets_) {
        const AttributeSet met = discerning & chosen;
        if (met == 0) {
            if ((discerning & open) == 0) {
                return false;
            }
        } else if ((met & (met - 1)) == 0) {
            metAlone |= met;
        }
    }
    return order_ == 1 || metAlone == chosen;
}

// A minimal consistent candidate: the repeat of an earlier object's rule raises its support
// (and at order 1 stays in the list without support); otherwise it is a new rule.
void FastExhaustiveSearch::consider(AttributeSet candidate)
{
    if (const StoredRule* earlier = index_.find(candidate, object_)) {
        ++rulesByOrder_[order_][earlier->owner][earlier->offset + order_];
        if (order_ == 1) {
            append(candidate, 0);
        }
        return;
    }
    // The index keeps 32-bit offsets; a longer list fails like exhausted memory.
    if (working_.size() > UINT32_MAX) {
        throw std::bad_alloc();
    }
    newRules_.emplace_back(candidate, static_cast<std::uint32_t>(working_.size()));
    append(candidate, 1);
}

void FastExhaustiveSearch::append(AttributeSet candidate, std::uint32_t support)
{
    forEachAttribute(candidate, [this](std::uint32_t p) { working_.push_back(p); });
    working_.push_back(support);
}

} // namespace

ExhaustiveRules searchExhaustiveRules(const SystemDecyzyjny& table)
{
    return searchExhaustiveRules(table, noProgress(), {});
}

ExhaustiveRules searchExhaustiveRules(const SystemDecyzyjny& table, Progress& progress,
                                      const ExhaustiveOptions& options)
{
    if (table.attributeCount > kMaxFastAttributes) {
        return searchExhaustiveRulesReference(table);
    }
    FastExhaustiveSearch search(table, progress, options.allOrders);
    return search.run();
}

std::uint32_t binomialCoefficient(std::uint32_t n, std::uint32_t k)
{
    if (k > n) {
        return 0;
    }
    const std::uint32_t smaller = std::min(k, n - k);
    // C(n - smaller + i, i) for i = 1 .. smaller: each step is exact and never smaller than the
    // one before, so the first step beyond 32 bits proves that the result is too. Below that, the
    // product of a 32-bit value and a 32-bit factor fits 64 bits.
    std::uint64_t result = 1;
    for (std::uint32_t i = 1; i <= smaller; ++i) {
        result = result * (std::uint64_t(n - smaller) + i) / i;
        if (result > UINT32_MAX) {
            throw std::bad_alloc();
        }
    }
    return static_cast<std::uint32_t>(result);
}

void CombinationCursor::reset(std::uint32_t k, std::uint32_t n)
{
    total_ = binomialCoefficient(n, k);
    size_ = k;
    universe_ = n;
    current_.resize(k);
    for (std::uint32_t t = 0; t < k; ++t) {
        current_[t] = t;
    }
}

bool CombinationCursor::advance()
{
    if (size_ > universe_) {
        return false;
    }
    // The highest position still below its maximum n - k + t moves up by one; every later
    // position follows it as closely as it can.
    for (std::uint32_t t = size_; t-- > 0;) {
        if (current_[t] < universe_ - size_ + t) {
            ++current_[t];
            for (std::uint32_t u = t + 1; u < size_; ++u) {
                current_[u] = current_[u - 1] + 1;
            }
            return true;
        }
    }
    return false;
}

} // namespace kolven
