// The exhaustive search against its definition and the straightforward search: of all orders, of
// tables wider than one word of attribute bits, on several threads; and searches that stop or run
// out of memory and change nothing.
#include "counting_progress.h"
#include "ercim.h"
#include "exhaustive_search.h"
#include "failing_allocation.h"
#include "table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <new>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace kolven {
namespace {

using testing::Rows;
using testing::tableOf;

ERCIM computed(std::uint32_t attributes, const Rows& rows)
{
    ERCIM table = tableOf<ERCIM>(attributes, rows);
    table.computeRules();
    return table;
}

const Rows kWorkedExample = {{1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}};

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

// Everything a search leaves in the table: the entries of every order, the orders kept, the time.
auto resultsOf(const ERCIM& table)
{
    std::vector<std::vector<Entry>> entries;
    for (std::uint32_t k = 0; k <= table.attributeCount + 1; ++k) {
        entries.push_back(entriesAt(table, k));
    }
    return std::tuple{entries, table.order, table.elapsedSeconds};
}

TEST(ExhaustiveSearch, WorkedExampleKeepsTwoOrdersInClosedLists)
{
    EXPECT_EQ(tableOf<ERCIM>(3, kWorkedExample).ruleList(1, 0), nullptr) << "nothing before the search";
    const ERCIM table = computed(3, kWorkedExample);
    // Object 4's rules repeat those of objects 0 and 1: support-0 entries. Order 3 was searched
    // and stored nothing.
    EXPECT_EQ(table.order, 2u);
    EXPECT_EQ(entriesAt(table, 1), (std::vector<Entry>{{0, {1}, 2}, {1, {2}, 2}, {4, {1}, 0}, {4, {2}, 0}}));
    EXPECT_EQ(entriesAt(table, 2), (std::vector<Entry>{{2, {0, 1}, 1}, {2, {0, 2}, 1}, {2, {1, 2}, 2}}));
    for (auto [order, object] : {std::pair{2u, 3u}, {0u, 0u}, {3u, 0u}, {4u, 0u}, {1u, 5u}}) {
        EXPECT_EQ(table.ruleList(order, object), nullptr) << order << " " << object;
    }
    EXPECT_EQ(computed(3, {}).order, 0u) << "no objects";
}

TEST(ExhaustiveSearch, MissingMemoryLeavesThePreviousResults)
{
    ERCIM fresh = tableOf<ERCIM>(3, kWorkedExample);
    ERCIM done = computed(3, kWorkedExample);
    const auto nothing = resultsOf(fresh);
    const auto found = resultsOf(done);
    for (long before = 0; fresh.order == 0; ++before) {
        for (ERCIM* table : {&fresh, &done}) {
            testing::failAfter(before);
            try {
                table->computeRules();
            } catch (const std::bad_alloc&) {
                testing::disarmFailure();
                ASSERT_TRUE(resultsOf(*table) == (table == &fresh ? nothing : found)) << before;
            }
            testing::disarmFailure();
        }
    }
    EXPECT_EQ(std::get<0>(resultsOf(fresh)), std::get<0>(found));
}

TEST(CombinationCursor, TotalIsExactAlongPascalsTriangleAndFailsLikeMissingMemoryBeyond32Bits)
{
    // C(n, 0) = 1, C(n, n + 1) = 0 and C(n, k) = C(n - 1, k - 1) + C(n - 1, k) fix the triangle.
    for (std::uint32_t n = 0; n <= 34; ++n) {
        ASSERT_EQ(binomialCoefficient(n, 0), 1u) << n;
        ASSERT_EQ(binomialCoefficient(n, n + 1), 0u) << n;
        for (std::uint32_t k = 1; k <= n; ++k) {
            ASSERT_EQ(binomialCoefficient(n, k), std::uint64_t(binomialCoefficient(n - 1, k - 1)) + binomialCoefficient(n - 1, k))
                << n << " " << k;
        }
    }
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
        std::vector<Entry> rules;
        for (std::uint32_t mask = 0; mask < (1u << t.attributeCount); ++mask) {
            for (std::uint32_t x = 0; std::uint32_t(std::popcount(mask)) == k && x < t.objectCount; ++x) {
                std::uint32_t first = x;
                std::uint32_t matching = 0;
                for (std::uint32_t y = t.objectCount; y-- > 0;) {
                    first = agree(x, y, mask) ? y : first;
                    matching += agree(x, y, mask) ? 1 : 0;
                }
                std::vector<std::uint32_t> attributes;
                for (std::uint32_t p = 0; p < t.attributeCount; ++p) {
                    if ((mask >> p & 1) != 0) {
                        attributes.push_back(p);
                    }
                }
                if (first == x && minimal(x, mask)) {
                    rules.emplace_back(x, attributes, matching);
                }
            }
        }
        std::sort(rules.begin(), rules.end());
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

// The search's rules against their definition, order by order.
void checkDefinition(const ERCIM& table)
{
    const BruteForce expected{table};
    ASSERT_EQ(table.order, expected.ordersKept());
    for (std::uint32_t k = 1; k <= table.order; ++k) {
        ASSERT_EQ(entriesAt(table, k, true), expected.printed(k)) << "order " << k;
        ASSERT_EQ(entriesAt(table, k).size(), expected.stored(k)) << "order " << k;
    }
}


// How the values of a random table are drawn.
struct TableShape {
    std::uint32_t minObjects;
    std::uint32_t maxObjects;
    std::uint32_t minAttributes;
    std::uint32_t maxAttributes;
    std::uint32_t valueRange;    // condition values 0 .. valueRange - 1
    std::uint32_t decisionRange; // decisions 0 .. decisionRange - 1
    std::uint32_t nanOdds = 0;   // one value in nanOdds equals nothing; 0: none
};

// A random table; rows often repeat an earlier row's condition values (with a decision that may
// contradict it), and a zero is often -0.
SystemDecyzyjny randomTable(std::mt19937& random, const TableShape& shape)
{
    const std::uint32_t objects = shape.minObjects + random() % (shape.maxObjects - shape.minObjects + 1);
    const std::uint32_t attributes = shape.minAttributes + random() % (shape.maxAttributes - shape.minAttributes + 1);
    std::vector<float> values;
    for (std::uint32_t x = 0; x < objects; ++x) {
        const bool repeatsRow = x > 0 && random() % 4 == 0;
        const std::size_t source = repeatsRow ? std::size_t(random() % x) * (attributes + 1) : 0;
        for (std::uint32_t p = 0; p <= attributes; ++p) {
            const std::uint32_t range = p == attributes ? shape.decisionRange : shape.valueRange;
            float value = repeatsRow && p < attributes ? values[source + p] : float(random() % range);
            value = value == 0.0f && random() % 3 == 0 ? -0.0f : value;
            value = shape.nanOdds != 0 && random() % shape.nanOdds == 0 ? std::numeric_limits<float>::quiet_NaN() : value;
            values.push_back(value);
        }
    }
    SystemDecyzyjny table;
    table.installValues(objects, attributes, values);
    return table;
}

// Both searches must store the same words in every list of every order and keep as many orders;
// with definition set, the rules must also be those of the definition.
void compareOnRandomTables(std::uint32_t seed, int count, const TableShape& shape, bool allOrders = false,
                           bool definition = false)
{
    std::mt19937 random(seed);
    for (int round = 0; round < count; ++round) {
        const SystemDecyzyjny table = randomTable(random, shape);
        const std::optional<ExhaustiveRules> fast = searchExhaustiveRules(table, {allOrders, 1});
        const ExhaustiveRules reference = searchExhaustiveRulesReference(table, allOrders);
        if (!fast || !(*fast == reference)) {
            ADD_FAILURE() << "seed " << seed << ", round " << round << ", order " << reference.order;
            break;
        }
        if (definition) {
            ERCIM ercim;
            ercim.copyFrom(table);
            ercim.computeRules();
            SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
            checkDefinition(ercim);
        }
    }
}

TEST(FastExhaustiveSearch, MatchesTheReferenceOnRandomTables)
{
    // Small tables of few values, also checked against the definition: searches that end at an
    // order of one entry, and support-0 entries.
    compareOnRandomTables(7, 6000, {1, 12, 0, 6, 3, 3}, false, true);
    // Two-valued attributes and many objects: rules of high orders, where the pruning of the
    // depth-first walk and the repeats at the current order matter most.
    compareOnRandomTables(11, 3000, {1, 24, 3, 9, 2, 2});
    compareOnRandomTables(13, 3000, {1, 4, 0, 5, 4, 6});       // many decisions, single objects
    compareOnRandomTables(17, 3000, {1, 10, 1, 5, 2, 3, 16}); // values that equal nothing
    // The last attributes of the widest table the fast search serves.
    compareOnRandomTables(19, 40, {1, 5, 60, 64, 3, 2});
    // The search of all orders: few values make rules of high orders, kept past orders of fewer
    // than two entries.
    compareOnRandomTables(23, 4000, {1, 10, 0, 6, 3, 3, 64}, true);
    compareOnRandomTables(29, 1500, {8, 24, 4, 9, 2, 2, 64}, true);
    compareOnRandomTables(31, 2000, {1, 6, 1, 5, 4, 6, 64}, true);
}

// The table with its attributes moved to random ascending positions of a table of width
// attributes; positions receives them. The other attributes hold zeros and negative zeros, which
// tell no two objects apart, so they take no part in any rule of a table of two decisions.
SystemDecyzyjny widened(const SystemDecyzyjny& table, std::uint32_t width, std::mt19937& random,
                        std::vector<std::uint32_t>& positions)
{
    positions.resize(width);
    std::iota(positions.begin(), positions.end(), 0u);
    std::shuffle(positions.begin(), positions.end(), random);
    positions.resize(table.attributeCount);
    std::sort(positions.begin(), positions.end());
    std::vector<float> values;
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        std::vector<float> row(width + 1, 0.0f);
        for (float& value : row) {
            value = random() % 2 == 0 ? -0.0f : 0.0f;
        }
        for (std::uint32_t p = 0; p < table.attributeCount; ++p) {
            row[positions[p]] = table.value(x, p);
        }
        row[width] = table.decision(x);
        values.insert(values.end(), row.begin(), row.end());
    }
    SystemDecyzyjny wide;
    wide.installValues(table.objectCount, width, values);
    return wide;
}

bool hasTwoDecisions(const SystemDecyzyjny& table)
{
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        if (!(table.decision(x) == table.decision(0))) {
            return true;
        }
    }
    return false;
}

TEST(ExhaustiveSearch, WideTablesMatchTheReference)
{
    // Small random tables spread over 65, 97 and 129 attributes, whose sets take two and three
    // words, the last one holding a single attribute or more: the rules of the wide table are those the straightforward search finds on the small
    // one, with the attributes renumbered. The straightforward search itself would take far too
    // long on the wide tables.
    std::mt19937 random(43);
    std::vector<std::uint32_t> positions;
    std::uint32_t compared = 0;
    std::uint32_t beyondFirstWord = 0;
    for (int round = 0; round < 1500; ++round) {
        const SystemDecyzyjny table = randomTable(random, {2, 12, 1, 7, 3, 3, 64});
        if (!hasTwoDecisions(table)) {
            continue;
        }
        const std::uint32_t width = 65 + 32 * (round % 3);
        const SystemDecyzyjny wide = widened(table, width, random, positions);
        for (const bool allOrders : {false, true}) {
            const ExhaustiveRules expected = searchExhaustiveRulesReference(table, allOrders);
            const std::optional<ExhaustiveRules> found = searchExhaustiveRules(wide, {allOrders, 1});
            ASSERT_TRUE(found && found->order == expected.order) << round;
            for (std::uint32_t k = 1; k <= expected.order; ++k) {
                for (std::uint32_t x = 0; x < table.objectCount; ++x) {
                    RuleList renumbered = expected.rulesByOrder[k][x];
                    for (std::size_t word = 0; word + 1 < renumbered.size(); ++word) {
                        const bool support = word % (k + 1) == k;
                        renumbered[word] = support ? renumbered[word] : positions[renumbered[word]];
                        beyondFirstWord += !support && renumbered[word] >= 64 ? 1 : 0;
                    }
                    ASSERT_EQ(found->rulesByOrder[k][x], renumbered) << round << " " << k << " " << x;
                }
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 2000u);
    EXPECT_GT(beyondFirstWord, 1000u);
}

TEST(ExhaustiveSearch, GivesTheSameRulesOnAnyNumberOfThreads)
{
    std::mt19937 random(37);
    std::vector<std::uint32_t> positions;
    const SystemDecyzyjny narrow = randomTable(random, {150, 200, 10, 12, 3, 3, 64});
    const SystemDecyzyjny wide = widened(narrow, 70, random, positions);
    for (const SystemDecyzyjny* table : {&narrow, &wide}) {
        for (const bool allOrders : {false, true}) {
            const std::optional<ExhaustiveRules> one = searchExhaustiveRules(*table, {allOrders, 1});
            ASSERT_TRUE(one);
            EXPECT_GT(one->order, allOrders ? 2u : 0u);
            for (const unsigned threads : {2u, 3u}) {
                EXPECT_TRUE(searchExhaustiveRules(*table, {allOrders, threads}) == one) << threads << " " << allOrders;
            }
        }
    }
}

TEST(ExhaustiveSearch, AStoppedSearchLeavesTheEarlierResults)
{
    std::mt19937 random(41);
    const SystemDecyzyjny source = randomTable(random, {200, 200, 12, 12, 3, 3, 64});
    ERCIM ercim;
    ercim.copyFrom(source);
    ASSERT_TRUE(ercim.computeRules());
    const auto before = resultsOf(ercim);
    // Stopped at every stage of the search, on one thread and on two, until the search of all
    // orders is let through and replaces the results.
    std::uint64_t stopAt = 1;
    for (bool finished = false; !finished; stopAt += 1 + stopAt / 3) {
        for (const unsigned threads : {1u, 2u}) {
            testing::CountingProgress progress(stopAt);
            finished = ercim.computeRules(progress, {.allOrders = true, .threads = threads});
            EXPECT_GE(progress.lastStage, 1u) << "the order searched";
            EXPECT_LE(progress.maxDone, progress.lastTotal);
            if (finished) {
                break;
            }
            ASSERT_TRUE(resultsOf(ercim) == before) << stopAt << " " << threads;
        }
    }
    EXPECT_GT(stopAt, 20u);
    EXPECT_FALSE(resultsOf(ercim) == before);
}

} // namespace
} // namespace kolven
