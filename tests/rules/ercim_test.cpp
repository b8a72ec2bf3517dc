#include "ercim.h"
#include "exhaustive_search.h"
#include "failing_allocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

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
    table.installValues(std::uint32_t(rows.size()), attributes, matrix);
    return table;
}

ERCIM computed(std::uint32_t attributes, const std::vector<Row>& rows)
{
    ERCIM table = makeTable(attributes, rows);
    table.computeRules();
    return table;
}

const std::vector<Row> kWorkedExample = {{1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}};

// One stored entry: the object whose list holds it, its attributes and its support.
using Entry = std::tuple<std::uint32_t, std::vector<std::uint32_t>, std::uint32_t>;

// Every entry stored at order, support-0 ones included unless printedOnly, in storage order.
std::vector<Entry> entriesAt(const ERCIM& table, std::uint32_t order, bool printedOnly = false)
{
    std::vector<Entry> entries;
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        for (const std::uint32_t* word = table.ruleList(order, x); word && *word != kRuleListEnd; word += order + 1) {
            if (!printedOnly || word[order] != 0) {
                entries.emplace_back(x, std::vector<std::uint32_t>(word, word + order), word[order]);
            }
        }
    }
    return entries;
}

TEST(ExhaustiveSearch, WorkedExampleKeepsTwoOrdersInClosedLists)
{
    EXPECT_EQ(makeTable(3, kWorkedExample).ruleList(1, 0), nullptr) << "nothing before the search";
    const ERCIM table = computed(3, kWorkedExample);
    EXPECT_EQ(table.order, 2u);
    EXPECT_EQ(entriesAt(table, 1), (std::vector<Entry>{{0, {1}, 2}, {1, {2}, 2}, {4, {1}, 0}, {4, {2}, 0}}));
    EXPECT_EQ(entriesAt(table, 2), (std::vector<Entry>{{2, {0, 1}, 1}, {2, {0, 2}, 1}, {2, {1, 2}, 2}}));
    EXPECT_TRUE(entriesAt(table, 3).empty()) << "order 3 was searched and stored nothing";
    EXPECT_EQ(table.ruleList(2, 2)[9], kRuleListEnd);
    for (auto [order, object] : {std::pair{2u, 3u}, {0u, 0u}, {4u, 0u}, {1u, 5u}}) {
        EXPECT_EQ(table.ruleList(order, object), nullptr) << order << " " << object;
    }
    // Exclusive or: order 1 stores nothing, so order 2 is never searched and holds no lists.
    const ERCIM exclusiveOr = computed(2, {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}});
    EXPECT_EQ(exclusiveOr.order, 0u);
    EXPECT_EQ(exclusiveOr.ruleList(2, 0), nullptr);
    EXPECT_EQ(computed(3, {}).order, 0u) << "no objects";
}

TEST(ExhaustiveSearch, MissingMemoryLeavesThePreviousResults)
{
    ERCIM fresh = makeTable(3, kWorkedExample);
    ERCIM done = computed(3, kWorkedExample);
    const std::vector<Entry> rules = entriesAt(done, 2);
    const double seconds = done.elapsedSeconds;
    for (long before = 0; fresh.order == 0; ++before) {
        for (ERCIM* table : {&fresh, &done}) {
            testing::failAfter(before);
            try {
                table->computeRules();
            } catch (const std::bad_alloc&) {
                testing::disarmFailure();
                ASSERT_EQ(table->order, table == &done ? 2u : 0u) << before;
                ASSERT_EQ(table->ruleList(1, 0) == nullptr, table == &fresh) << before;
                ASSERT_EQ(entriesAt(done, 2), rules) << before;
                ASSERT_EQ(done.elapsedSeconds, seconds) << before;
            }
            testing::disarmFailure();
        }
    }
    EXPECT_EQ(entriesAt(fresh, 2), rules);
}

TEST(CombinationCursor, TotalIsExactAlongPascalsTriangleAndFailsLikeMissingMemoryBeyond32Bits)
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
    EXPECT_EQ(binomialCoefficient(UINT32_MAX, UINT32_MAX - 1), UINT32_MAX);
    EXPECT_EQ(binomialCoefficient(92682, 2), 4294930221u);
    for (auto [n, k] : {std::pair{35u, 17u}, {92683u, 2u}, {UINT32_MAX, 2u}, {60u, 30u}}) {
        EXPECT_THROW(binomialCoefficient(n, k), std::bad_alloc) << n << " " << k;
    }
    CombinationCursor cursor;
    cursor.reset(2, 4);
    EXPECT_THROW(cursor.reset(17, 35), std::bad_alloc);
    EXPECT_EQ(cursor.total(), 6u);
    EXPECT_EQ(cursor.current(), (std::vector<std::uint32_t>{0, 1}));
}

// The rules by their definition: a set of attributes (a bit mask) is consistent for x when x
// differs on it from every object of another decision; a rule is a consistent set with no
// consistent proper subset, stored under the first object with its values.
struct BruteForce {
    const ERCIM& t;

    bool agree(std::uint32_t x, std::uint32_t y, std::uint32_t mask) const
    {
        for (std::uint32_t p = 0; p < t.attributeCount; ++p) {
            if ((mask >> p & 1) != 0 && t.value(x, p) != t.value(y, p)) {
                return false;
            }
        }
        return true;
    }
    bool consistent(std::uint32_t x, std::uint32_t mask) const
    {
        for (std::uint32_t y = 0; y < t.objectCount; ++y) {
            if (t.decision(y) != t.decision(x) && agree(x, y, mask)) {
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
    // The printed rules of order k, by object and then in lexicographic order of attributes.
    std::vector<Entry> printed(std::uint32_t k) const
    {
        std::vector<std::pair<std::vector<std::uint32_t>, std::uint32_t>> sets; // attributes, mask
        for (std::uint32_t mask = 0; mask < (1u << t.attributeCount); ++mask) {
            if (std::uint32_t(std::popcount(mask)) == k) {
                std::vector<std::uint32_t> attributes;
                for (std::uint32_t p = 0; p < t.attributeCount; ++p) {
                    if ((mask >> p & 1) != 0) {
                        attributes.push_back(p);
                    }
                }
                sets.emplace_back(attributes, mask);
            }
        }
        std::sort(sets.begin(), sets.end());
        std::vector<Entry> rules;
        for (std::uint32_t x = 0; x < t.objectCount; ++x) {
            for (const auto& [attributes, mask] : sets) {
                std::uint32_t first = x;
                std::uint32_t matching = 0;
                for (std::uint32_t y = t.objectCount; y-- > 0;) {
                    first = agree(x, y, mask) ? y : first;
                    matching += agree(x, y, mask) ? 1 : 0;
                }
                if (first == x && minimal(x, mask)) {
                    rules.emplace_back(x, attributes, matching);
                }
            }
        }
        return rules;
    }
    // Entries stored at order k: the printed rules, and at order 1 a support-0 entry for every
    // object that repeats an earlier object's rule.
    std::size_t stored(std::uint32_t k) const
    {
        std::size_t count = 0;
        for (std::uint32_t x = 0; k == 1 && x < t.objectCount; ++x) {
            for (std::uint32_t p = 0; p < t.attributeCount; ++p) {
                count += consistent(x, 1u << p) ? 1 : 0;
            }
        }
        return k == 1 ? count : printed(k).size();
    }
    // The search goes on while an order stores two entries or more; an empty order is not kept.
    std::uint32_t ordersKept() const
    {
        for (std::uint32_t k = 1; k <= t.attributeCount; ++k) {
            if (const std::size_t count = stored(k); count < 2) {
                return count == 1 ? k : k - 1;
            }
        }
        return t.attributeCount;
    }
};

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
        std::ostringstream text;
        for (Row& row : rows) {
            for (std::uint32_t p = 0; p <= attributes; ++p) {
                row.push_back(float(random() % (p < attributes ? 3 : decisions)));
                text << row.back() << (p < attributes ? ' ' : '\n');
            }
        }
        const ERCIM table = computed(attributes, rows);
        const BruteForce expected{table};
        SCOPED_TRACE(text.str());
        ASSERT_EQ(table.order, expected.ordersKept());
        for (std::uint32_t k = 1; k <= table.order; ++k) {
            ASSERT_EQ(entriesAt(table, k, true), expected.printed(k)) << "order " << k;
            ASSERT_EQ(entriesAt(table, k).size(), expected.stored(k)) << "order " << k;
        }
        if (table.order < attributes) {
            endedByOneEntry += table.order > 0 && expected.stored(table.order) == 1 ? 1 : 0;
            endedByEmptyOrder += expected.stored(table.order + 1) == 0 ? 1 : 0;
        }
    }
    // The tables reach both ways of stopping early, so the stopping rule is really exercised.
    EXPECT_GT(endedByOneEntry, 0u);
    EXPECT_GT(endedByEmptyOrder, 0u);
}

} // namespace
} // namespace kolven
