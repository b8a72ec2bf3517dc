#include "ercim.h"
#include "exhaustive_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Allocation failures on demand: while armed, the allocation after `allocationsBeforeFailure`
// successful ones throws std::bad_alloc, as an exhausted heap would.
namespace {
long allocationsBeforeFailure = -1;

void* allocate(std::size_t size)
{
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace kolven {
namespace {

using Row = std::vector<float>;

// A table of rows, each holding the condition values and the decision last.
ERCIM makeTable(std::uint32_t attributes, const std::vector<Row>& rows)
{
    std::vector<float> matrix;
    for (const Row& row : rows) {
        matrix.insert(matrix.end(), row.begin(), row.end());
    }
    ERCIM table;
    table.installValues(static_cast<std::uint32_t>(rows.size()), attributes, matrix);
    return table;
}

ERCIM computed(std::uint32_t attributes, const std::vector<Row>& rows)
{
    ERCIM table = makeTable(attributes, rows);
    table.computeRules();
    return table;
}

// The worked example: objects 0..4 over a1, a2, a3.
const std::vector<Row> kWorkedExample = {
    {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 0}, {1, 1, 1, 0}, {0, 0, 0, 1},
};

struct Entry {
    std::uint32_t object;
    std::vector<std::uint32_t> attributes;
    std::uint32_t support;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& entry)
{
    out << "object " << entry.object << " {";
    for (std::uint32_t p : entry.attributes) {
        out << ' ' << p;
    }
    return out << " } support " << entry.support;
}

// Every entry stored at order, support-0 ones included unless printedOnly, in storage order.
std::vector<Entry> entriesAt(const ERCIM& table, std::uint32_t order, bool printedOnly = false)
{
    std::vector<Entry> entries;
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        const std::uint32_t* word = table.ruleList(order, x);
        if (word == nullptr) {
            continue;
        }
        for (; *word != kRuleListEnd; word += order + 1) {
            if (!printedOnly || word[order] != 0) {
                entries.push_back({x, std::vector<std::uint32_t>(word, word + order), word[order]});
            }
        }
    }
    return entries;
}

TEST(ExhaustiveSearch, WorkedExampleKeepsTwoOrders)
{
    const ERCIM table = computed(3, kWorkedExample);
    EXPECT_EQ(table.order, 2u);
    EXPECT_EQ(entriesAt(table, 1), (std::vector<Entry>{{0, {1}, 2}, {1, {2}, 2}, {4, {1}, 0}, {4, {2}, 0}}));
    EXPECT_EQ(entriesAt(table, 2), (std::vector<Entry>{{2, {0, 1}, 1}, {2, {0, 2}, 1}, {2, {1, 2}, 2}}));
    // Order 3 was searched and stored nothing.
    EXPECT_TRUE(entriesAt(table, 3).empty());
}

TEST(ExhaustiveSearch, RuleListsAreClosedAndAbsentListsAreNull)
{
    const ERCIM table = computed(3, kWorkedExample);
    const std::uint32_t* list = table.ruleList(2, 2);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list[9], kRuleListEnd);
    EXPECT_EQ(table.ruleListWords(2, 2).size(), 10u);
    EXPECT_EQ(table.ruleList(2, 3), nullptr);
    EXPECT_EQ(table.ruleList(0, 0), nullptr);
    EXPECT_EQ(table.ruleList(4, 0), nullptr);
    EXPECT_EQ(table.ruleList(1, 5), nullptr);
}

TEST(ExhaustiveSearch, UncomputedTableHasNoRules)
{
    const ERCIM table = makeTable(3, kWorkedExample);
    EXPECT_EQ(table.order, 0u);
    EXPECT_EQ(table.ruleList(1, 0), nullptr);
}

TEST(ExhaustiveSearch, TablesWithoutAttributesOrObjectsKeepNoOrder)
{
    EXPECT_EQ(computed(0, {{1}, {0}, {1}}).order, 0u);
    EXPECT_EQ(computed(3, {}).order, 0u);
    EXPECT_EQ(computed(0, {}).order, 0u);
}

TEST(ExhaustiveSearch, SingleObjectGetsEveryAttributeAtOrderOne)
{
    const ERCIM three = computed(3, {{5, 6, 7, 1}});
    EXPECT_EQ(three.order, 1u);
    EXPECT_EQ(entriesAt(three, 1), (std::vector<Entry>{{0, {0}, 1}, {0, {1}, 1}, {0, {2}, 1}}));
    EXPECT_TRUE(entriesAt(three, 2).empty());

    // One entry ends the search, but its order is kept.
    const ERCIM one = computed(1, {{5, 1}});
    EXPECT_EQ(one.order, 1u);
    EXPECT_EQ(entriesAt(one, 1), (std::vector<Entry>{{0, {0}, 1}}));
}

TEST(ExhaustiveSearch, SameDecisionEverywhereGivesOneRulePerValueWithRepeatsWithoutSupport)
{
    const ERCIM table = computed(2, {{0, 1, 1}, {0, 2, 1}, {1, 1, 1}, {0, 1, 1}});
    EXPECT_EQ(table.order, 1u);
    EXPECT_EQ(entriesAt(table, 1), (std::vector<Entry>{
                                       {0, {0}, 3}, {0, {1}, 3}, {1, {0}, 0}, {1, {1}, 1},
                                       {2, {0}, 1}, {2, {1}, 0}, {3, {0}, 0}, {3, {1}, 0},
                                   }));
}

TEST(ExhaustiveSearch, SharedValueGivesOneRuleUnderTheFirstObject)
{
    const ERCIM table = computed(2, {{3, 0, 1}, {4, 0, 0}, {3, 1, 1}, {3, 2, 1}});
    EXPECT_EQ(entriesAt(table, 1, true), (std::vector<Entry>{{0, {0}, 3}, {1, {0}, 1}, {2, {1}, 1}, {3, {1}, 1}}));
    EXPECT_EQ(entriesAt(table, 1),
              (std::vector<Entry>{{0, {0}, 3}, {1, {0}, 1}, {2, {0}, 0}, {2, {1}, 1}, {3, {0}, 0}, {3, {1}, 1}}));
}

TEST(ExhaustiveSearch, ExclusiveOrStopsBeforeAnyOrderIsKept)
{
    const ERCIM table = computed(2, {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}});
    EXPECT_EQ(table.order, 0u);
    EXPECT_TRUE(entriesAt(table, 1).empty());
    // Order 2 is never searched, although every object has a rule there.
    EXPECT_EQ(table.ruleList(2, 0), nullptr);
}

TEST(ExhaustiveSearch, OrderWithOneEntryEndsTheSearchAndIsKept)
{
    // Object 3 alone has decision 1; it tells itself from the others by a1 at order 1 and by
    // {a2, a3} at order 2, where nothing else is left.
    const ERCIM table = computed(3, {{0, 1, 1, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 1}});
    EXPECT_EQ(table.order, 2u);
    EXPECT_EQ(entriesAt(table, 1).size(), 8u);
    EXPECT_EQ(entriesAt(table, 2), (std::vector<Entry>{{3, {1, 2}, 1}}));
    EXPECT_EQ(table.ruleList(3, 0), nullptr);
}

TEST(ExhaustiveSearch, ContradictoryObjectsGetNoRules)
{
    const ERCIM table = computed(2, {{1, 1, 0}, {0, 0, 1}, {1, 1, 1}, {0, 1, 0}, {2, 2, 1}});
    for (std::uint32_t order = 1; order <= table.order + 1; ++order) {
        EXPECT_EQ(table.ruleList(order, 0), nullptr) << order;
        EXPECT_EQ(table.ruleList(order, 2), nullptr) << order;
    }
    EXPECT_EQ(entriesAt(table, 1, true), (std::vector<Entry>{{1, {1}, 1}, {4, {0}, 1}, {4, {1}, 1}}));
}

TEST(ExhaustiveSearch, MissingMemoryLeavesThePreviousResults)
{
    ERCIM fresh = makeTable(3, kWorkedExample);
    ERCIM done = computed(3, kWorkedExample);
    const std::vector<Entry> rules = entriesAt(done, 2);
    const double seconds = done.elapsedSeconds;
    bool succeeded = false;
    for (long before = 0; !succeeded; ++before) {
        allocationsBeforeFailure = before;
        try {
            fresh.computeRules();
            succeeded = true;
        } catch (const std::bad_alloc&) {
            allocationsBeforeFailure = -1;
            ASSERT_EQ(fresh.order, 0u) << before;
            ASSERT_EQ(fresh.ruleList(1, 0), nullptr) << before;
        }
        allocationsBeforeFailure = before;
        try {
            done.computeRules();
        } catch (const std::bad_alloc&) {
            allocationsBeforeFailure = -1;
            ASSERT_EQ(done.order, 2u) << before;
            ASSERT_EQ(entriesAt(done, 2), rules) << before;
            ASSERT_EQ(done.elapsedSeconds, seconds) << before;
        }
        allocationsBeforeFailure = -1;
    }
    EXPECT_EQ(fresh.order, 2u);
}

// --- Binomial coefficients and the combination cursor ---

TEST(CombinationCursor, TotalIsExactAlongPascalsTriangle)
{
    std::vector<std::uint64_t> row = {1};
    for (std::uint32_t n = 0; n <= 34; ++n) {
        for (std::uint32_t k = 0; k <= n; ++k) {
            ASSERT_EQ(binomialCoefficient(n, k), row[k]) << n << " " << k;
        }
        std::vector<std::uint64_t> next(row.size() + 1, 1);
        for (std::size_t k = 1; k < row.size(); ++k) {
            next[k] = row[k - 1] + row[k];
        }
        row = next;
    }
    EXPECT_EQ(binomialCoefficient(3, 4), 0u);
    EXPECT_EQ(binomialCoefficient(UINT32_MAX, 1), UINT32_MAX);
    EXPECT_EQ(binomialCoefficient(UINT32_MAX, UINT32_MAX - 1), UINT32_MAX);
    EXPECT_EQ(binomialCoefficient(92682, 2), 4294930221u);
}

TEST(CombinationCursor, TotalBeyondThirtyTwoBitsFailsLikeMissingMemory)
{
    EXPECT_THROW(binomialCoefficient(35, 17), std::bad_alloc); // 4537567650
    EXPECT_THROW(binomialCoefficient(92683, 2), std::bad_alloc);
    EXPECT_THROW(binomialCoefficient(UINT32_MAX, 2), std::bad_alloc);
    EXPECT_THROW(binomialCoefficient(60, 30), std::bad_alloc);

    CombinationCursor cursor;
    cursor.reset(2, 4);
    EXPECT_THROW(cursor.reset(17, 35), std::bad_alloc);
    EXPECT_EQ(cursor.total(), 6u);
    EXPECT_EQ(cursor.current(), (std::vector<std::uint32_t>{0, 1}));
}

TEST(CombinationCursor, VisitsEverySubsetOnceInLexicographicOrder)
{
    for (std::uint32_t n = 0; n <= 7; ++n) {
        for (std::uint32_t k = 0; k <= n; ++k) {
            CombinationCursor cursor;
            cursor.reset(k, n);
            std::vector<std::vector<std::uint32_t>> visited = {cursor.current()};
            while (cursor.advance()) {
                const std::vector<std::uint32_t>& subset = cursor.current();
                ASSERT_LT(visited.back(), subset) << n << " " << k;
                for (std::size_t t = 1; t < subset.size(); ++t) {
                    ASSERT_LT(subset[t - 1], subset[t]);
                }
                ASSERT_TRUE(subset.empty() || subset.back() < n);
                visited.push_back(subset);
            }
            EXPECT_EQ(visited.size(), cursor.total()) << n << " " << k;
            std::vector<std::uint32_t> last;
            for (std::uint32_t t = n - k; t < n; ++t) {
                last.push_back(t);
            }
            EXPECT_EQ(cursor.current(), last) << "the last subset stays after advance fails";
        }
    }
}

TEST(CombinationCursor, ResetStartsAgainFromTheFirstSubset)
{
    CombinationCursor cursor;
    cursor.reset(3, 5);
    cursor.advance();
    cursor.reset(2, 6);
    EXPECT_EQ(cursor.size(), 2u);
    EXPECT_EQ(cursor.universe(), 6u);
    EXPECT_EQ(cursor.total(), 15u);
    EXPECT_EQ(cursor.current(), (std::vector<std::uint32_t>{0, 1}));
    cursor.advance();
    EXPECT_EQ(cursor.current(), (std::vector<std::uint32_t>{0, 2}));
}

// --- The search against a brute-force reading of what it yields ---

// Works from the definition alone: a set of attributes (a bit mask) is consistent for x when x
// differs on it from every object with another decision; a rule is a consistent set none of whose
// proper subsets is consistent, stored under the first object with its values.
class BruteForce {
public:
    explicit BruteForce(const ERCIM& table) : table_(table) {}

    bool consistent(std::uint32_t x, std::uint32_t mask) const
    {
        for (std::uint32_t y = 0; y < table_.objectCount; ++y) {
            if (table_.decision(y) != table_.decision(x) && agree(x, y, mask)) {
                return false;
            }
        }
        return true;
    }

    bool minimal(std::uint32_t x, std::uint32_t mask) const
    {
        for (std::uint32_t subset = (mask - 1) & mask; subset != 0; subset = (subset - 1) & mask) {
            if (consistent(x, subset)) {
                return false;
            }
        }
        return consistent(x, mask);
    }

    std::uint32_t firstMatching(std::uint32_t x, std::uint32_t mask) const
    {
        std::uint32_t y = 0;
        while (!agree(x, y, mask)) {
            ++y;
        }
        return y;
    }

    std::uint32_t matching(std::uint32_t x, std::uint32_t mask) const
    {
        std::uint32_t count = 0;
        for (std::uint32_t y = 0; y < table_.objectCount; ++y) {
            count += agree(x, y, mask) ? 1 : 0;
        }
        return count;
    }

    // The printed rules of order k, by object and then in lexicographic order of attributes.
    std::vector<Entry> printed(std::uint32_t k) const
    {
        std::vector<Entry> rules;
        for (std::uint32_t x = 0; x < table_.objectCount; ++x) {
            for (const std::vector<std::uint32_t>& attributes : subsets(k)) {
                const std::uint32_t mask = maskOf(attributes);
                if (minimal(x, mask) && firstMatching(x, mask) == x) {
                    rules.push_back({x, attributes, matching(x, mask)});
                }
            }
        }
        return rules;
    }

    // Entries stored at order k: the printed rules, and at order 1 a support-0 entry for every
    // object that repeats an earlier object's rule.
    std::size_t stored(std::uint32_t k) const
    {
        if (k > 1) {
            return printed(k).size();
        }
        std::size_t count = 0;
        for (std::uint32_t x = 0; x < table_.objectCount; ++x) {
            for (std::uint32_t p = 0; p < table_.attributeCount; ++p) {
                count += consistent(x, 1u << p) ? 1 : 0;
            }
        }
        return count;
    }

    // The search goes on while an order stores two entries or more; an order without entries is
    // not kept.
    std::uint32_t ordersKept() const
    {
        for (std::uint32_t k = 1; k <= table_.attributeCount; ++k) {
            const std::size_t count = stored(k);
            if (count < 2) {
                return count == 1 ? k : k - 1;
            }
        }
        return table_.attributeCount;
    }

private:
    bool agree(std::uint32_t x, std::uint32_t y, std::uint32_t mask) const
    {
        for (std::uint32_t p = 0; p < table_.attributeCount; ++p) {
            if ((mask >> p & 1) != 0 && table_.value(x, p) != table_.value(y, p)) {
                return false;
            }
        }
        return true;
    }

    static std::uint32_t maskOf(const std::vector<std::uint32_t>& attributes)
    {
        std::uint32_t mask = 0;
        for (std::uint32_t p : attributes) {
            mask |= 1u << p;
        }
        return mask;
    }

    // The k-subsets of the attributes in lexicographic order, by counting through bit masks.
    std::vector<std::vector<std::uint32_t>> subsets(std::uint32_t k) const
    {
        std::vector<std::vector<std::uint32_t>> result;
        for (std::uint32_t mask = 0; mask < (1u << table_.attributeCount); ++mask) {
            if (static_cast<std::uint32_t>(__builtin_popcount(mask)) != k) {
                continue;
            }
            std::vector<std::uint32_t> attributes;
            for (std::uint32_t p = 0; p < table_.attributeCount; ++p) {
                if ((mask >> p & 1) != 0) {
                    attributes.push_back(p);
                }
            }
            result.push_back(attributes);
        }
        std::sort(result.begin(), result.end());
        return result;
    }

    const ERCIM& table_;
};

std::string describe(const ERCIM& table)
{
    std::ostringstream text;
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        for (std::uint32_t p = 0; p <= table.attributeCount; ++p) {
            text << table.row(x)[p] << (p < table.attributeCount ? ' ' : '\n');
        }
    }
    return text.str();
}

TEST(ExhaustiveSearch, RandomTablesGiveExactlyTheMinimalConsistentRules)
{
    std::mt19937 random(20240611);
    std::uint32_t endedByOneEntry = 0;
    std::uint32_t endedByEmptyOrder = 0;
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t objects = 1 + random() % 8;
        const std::uint32_t attributes = random() % 6;
        const std::uint32_t decisions = 1 + random() % 3;
        std::vector<Row> rows(objects);
        for (Row& row : rows) {
            for (std::uint32_t p = 0; p < attributes; ++p) {
                row.push_back(static_cast<float>(random() % 3));
            }
            row.push_back(static_cast<float>(random() % decisions));
        }
        const ERCIM table = computed(attributes, rows);
        const BruteForce expected(table);
        SCOPED_TRACE(describe(table));

        ASSERT_EQ(table.order, expected.ordersKept());
        for (std::uint32_t k = 1; k <= table.order; ++k) {
            ASSERT_EQ(entriesAt(table, k, true), expected.printed(k)) << "order " << k;
            ASSERT_EQ(entriesAt(table, k).size(), expected.stored(k)) << "order " << k;
        }
        if (table.order < attributes) {
            const std::size_t last = expected.stored(table.order + 1);
            endedByOneEntry += table.order > 0 && expected.stored(table.order) == 1 ? 1 : 0;
            endedByEmptyOrder += last == 0 ? 1 : 0;
        }
    }
    // The tables reach both ways of stopping early, so the stopping rule is really exercised.
    EXPECT_GT(endedByOneEntry, 0u);
    EXPECT_GT(endedByEmptyOrder, 0u);
}

} // namespace
} // namespace kolven
