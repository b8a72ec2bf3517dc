#include "exhaustive_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

// How the values of a random table are drawn.
struct TableShape {
    std::uint32_t maxObjects;
    std::uint32_t minAttributes;
    std::uint32_t maxAttributes;
    std::uint32_t valueRange;    // condition values 0 .. valueRange - 1
    std::uint32_t decisionRange; // decisions 0 .. decisionRange - 1
    bool withNaN = false;        // now and then a value or decision that equals nothing
};

// A random table; rows often repeat an earlier row's condition values (with a decision that may
// contradict it), and a zero is often -0. describe receives the table as text.
SystemDecyzyjny randomTable(std::mt19937& random, const TableShape& shape, std::string& describe)
{
    const std::uint32_t objects = 1 + random() % shape.maxObjects;
    const std::uint32_t attributes = shape.minAttributes + random() % (shape.maxAttributes - shape.minAttributes + 1);
    std::vector<float> values;
    std::ostringstream text;
    for (std::uint32_t x = 0; x < objects; ++x) {
        const bool repeatsRow = x > 0 && random() % 4 == 0;
        const std::size_t source = repeatsRow ? std::size_t(random() % x) * (attributes + 1) : 0;
        for (std::uint32_t p = 0; p <= attributes; ++p) {
            const std::uint32_t range = p == attributes ? shape.decisionRange : shape.valueRange;
            float value = repeatsRow && p < attributes ? values[source + p] : float(random() % range);
            value = value == 0.0f && random() % 3 == 0 ? -0.0f : value;
            value = shape.withNaN && random() % 16 == 0 ? std::numeric_limits<float>::quiet_NaN() : value;
            values.push_back(value);
            text << (std::signbit(value) ? "-" : "") << std::fabs(value) << (p < attributes ? ' ' : '\n');
        }
    }
    describe = text.str();
    SystemDecyzyjny table;
    table.installValues(objects, attributes, values);
    return table;
}

// What the random tables reached, so that a comparison that passes is known to have compared
// something: each way of stopping, rules above order 1, repeated rules and support-0 entries.
struct Reached {
    std::uint32_t stoppedByOneEntry = 0;
    std::uint32_t stoppedByEmptyOrder = 0;
    std::uint32_t searchedEveryOrder = 0;
    std::uint32_t higherOrderRules = 0;
    std::uint32_t repeatedRules = 0;
    std::uint32_t entriesWithoutSupport = 0;

    void note(const ExhaustiveRules& rules, std::uint32_t attributes)
    {
        std::uint32_t lastSearched = 0;
        for (std::uint32_t k = 1; k < rules.rulesByOrder.size(); ++k) {
            lastSearched = rules.rulesByOrder[k].empty() ? lastSearched : k;
        }
        if (attributes > 0 && rules.order == attributes) {
            ++searchedEveryOrder;
        } else if (lastSearched > 0) {
            (rules.order == lastSearched ? stoppedByOneEntry : stoppedByEmptyOrder) += 1;
        }
        for (std::uint32_t k = 1; k <= rules.order; ++k) {
            for (const RuleList& list : rules.rulesByOrder[k]) {
                for (std::size_t word = k; word < list.size(); word += k + 1) {
                    higherOrderRules += k > 1 ? 1 : 0;
                    repeatedRules += list[word] > 1 ? 1 : 0;
                    entriesWithoutSupport += list[word] == 0 ? 1 : 0;
                }
            }
        }
    }
};

// Both searches must store the same words in every list of every order and keep as many orders.
Reached compareOnRandomTables(std::uint32_t seed, int count, const TableShape& shape)
{
    std::mt19937 random(seed);
    Reached reached;
    std::string text;
    for (int round = 0; round < count; ++round) {
        const SystemDecyzyjny table = randomTable(random, shape, text);
        const ExhaustiveRules fast = searchExhaustiveRules(table).value();
        const ExhaustiveRules reference = searchExhaustiveRulesReference(table);
        if (!(fast == reference)) {
            ADD_FAILURE() << "seed " << seed << ", round " << round << ", orders " << fast.order << " and "
                          << reference.order << "\n" << text;
            break;
        }
        reached.note(reference, table.attributeCount);
    }
    return reached;
}

TEST(FastExhaustiveSearch, MatchesTheReferenceOnRandomTables)
{
    // Small tables of few values reach every way of stopping.
    Reached reached = compareOnRandomTables(7, 6000, {12, 0, 6, 3, 3});
    EXPECT_GT(reached.stoppedByOneEntry, 0u);
    EXPECT_GT(reached.stoppedByEmptyOrder, 0u);
    EXPECT_GT(reached.searchedEveryOrder, 0u);
    EXPECT_GT(reached.entriesWithoutSupport, 0u);
    // Two-valued attributes and many objects: rules of high orders, where the pruning of the
    // depth-first walk and the repeats at the current order matter most.
    reached = compareOnRandomTables(11, 3000, {24, 3, 9, 2, 2});
    EXPECT_GT(reached.higherOrderRules, 1000u);
    EXPECT_GT(reached.repeatedRules, 0u);
    compareOnRandomTables(13, 3000, {4, 0, 5, 4, 6});        // many decisions, single objects
    compareOnRandomTables(17, 3000, {10, 1, 5, 2, 3, true}); // values that equal nothing
    // The last attributes of the widest table the fast search serves.
    reached = compareOnRandomTables(19, 40, {5, 60, 64, 3, 2});
    EXPECT_GT(reached.repeatedRules + reached.higherOrderRules, 0u);
}

TEST(FastExhaustiveSearch, SeesAttributesBeyondTheFirstWord)
{
    // 65 attributes: only the last one tells the two decisions apart.
    std::vector<float> values(2 * 66, 1.0f);
    values[64] = 0.0f;
    values[65] = 0.0f;
    SystemDecyzyjny table;
    table.installValues(2, 65, values);
    const ExhaustiveRules rules = searchExhaustiveRules(table).value();
    EXPECT_EQ(rules.order, 1u);
    EXPECT_EQ(rules.rulesByOrder[1][0], (RuleList{64, 1, kRuleListEnd}));
    EXPECT_EQ(rules.rulesByOrder[1][1], (RuleList{64, 1, kRuleListEnd}));
    EXPECT_TRUE(rules == searchExhaustiveRulesReference(table));
}

} // namespace
} // namespace kolven
