// The exhaustive search of all orders, of tables wider than one word of attribute bits and on
// several threads, against the straightforward search; and a stopped search that changes nothing.
#include "ercim.h"
#include "exhaustive_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

struct Shape {
    std::uint32_t minObjects;
    std::uint32_t maxObjects;
    std::uint32_t minAttributes;
    std::uint32_t maxAttributes;
    std::uint32_t values;    // condition values 0 .. values - 1
    std::uint32_t decisions; // decisions 0 .. decisions - 1
};

// A random table whose rows often repeat an earlier row's condition values, with a decision that
// may contradict it; a zero is often -0 and now and then a value is a NaN, which equals nothing.
// text receives the table.
SystemDecyzyjny randomTable(std::mt19937& random, const Shape& shape, std::string& text)
{
    const auto draw = [&](std::uint32_t low, std::uint32_t high) { return low + random() % (high - low + 1); };
    const std::uint32_t objects = draw(shape.minObjects, shape.maxObjects);
    const std::uint32_t attributes = draw(shape.minAttributes, shape.maxAttributes);
    std::vector<float> values;
    std::ostringstream out;
    for (std::uint32_t x = 0; x < objects; ++x) {
        const bool repeats = x > 0 && random() % 4 == 0;
        const std::size_t source = repeats ? std::size_t(random() % x) * (attributes + 1) : 0;
        for (std::uint32_t p = 0; p <= attributes; ++p) {
            float value = float(random() % (p == attributes ? shape.decisions : shape.values));
            value = repeats && p < attributes ? values[source + p] : value;
            value = value == 0.0f && random() % 3 == 0 ? -0.0f : value;
            value = random() % 64 == 0 ? std::numeric_limits<float>::quiet_NaN() : value;
            values.push_back(value);
            out << (std::signbit(value) ? "-" : "") << std::fabs(value) << (p < attributes ? ' ' : '\n');
        }
    }
    text = out.str();
    SystemDecyzyjny table;
    table.installValues(objects, attributes, values);
    return table;
}

// Compares both searches on count random tables; returns how many kept an order after one with
// fewer than two entries, which only the search of all orders reaches.
std::uint32_t compareOnRandomTables(std::uint32_t seed, int count, const Shape& shape)
{
    std::mt19937 random(seed);
    std::uint32_t pastAnOrdinaryStop = 0;
    std::string text;
    for (int round = 0; round < count; ++round) {
        const SystemDecyzyjny table = randomTable(random, shape, text);
        const ExhaustiveRules expected = searchExhaustiveRulesReference(table, true);
        const std::optional<ExhaustiveRules> found = searchExhaustiveRules(table, {.allOrders = true, .threads = 1});
        if (!found || !(*found == expected)) {
            ADD_FAILURE() << "seed " << seed << ", round " << round << "\n" << text;
            return pastAnOrdinaryStop;
        }
        for (std::uint32_t k = 1; k < expected.order; ++k) {
            std::size_t words = 0;
            for (const RuleList& list : expected.rulesByOrder[k]) {
                words += list.empty() ? 0 : list.size() - 1;
            }
            pastAnOrdinaryStop += words < 2 * (k + 1) ? 1 : 0;
        }
    }
    return pastAnOrdinaryStop;
}

TEST(ExhaustiveAllOrders, MatchesTheReferenceOnRandomTables)
{
    // Single objects, tables without attributes, contradictions, repeats, -0 and NaN all come up
    // among thousands of small tables; few values make rules of high orders.
    EXPECT_GT(compareOnRandomTables(23, 4000, {1, 10, 0, 6, 3, 3}), 100u);
    EXPECT_GT(compareOnRandomTables(29, 1500, {8, 24, 4, 9, 2, 2}), 100u);
    compareOnRandomTables(31, 2000, {1, 6, 1, 5, 4, 6});
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
    // Small random tables spread over 70, 100 and 130 attributes, whose sets take two and three
    // words: the rules of the wide table are those the straightforward search finds on the small
    // one, with the attributes renumbered. The straightforward search itself would take far too
    // long on the wide tables.
    std::mt19937 random(43);
    std::string text;
    std::vector<std::uint32_t> positions;
    std::uint32_t compared = 0;
    std::uint32_t beyondFirstWord = 0;
    for (int round = 0; round < 1500; ++round) {
        const SystemDecyzyjny table = randomTable(random, {2, 12, 1, 7, 3, 3}, text);
        if (!hasTwoDecisions(table)) {
            continue;
        }
        const std::uint32_t width = 70 + 30 * (round % 3);
        const SystemDecyzyjny wide = widened(table, width, random, positions);
        for (const bool allOrders : {false, true}) {
            const ExhaustiveRules expected = searchExhaustiveRulesReference(table, allOrders);
            const std::optional<ExhaustiveRules> found = searchExhaustiveRules(wide, {allOrders, 1});
            ASSERT_TRUE(found && found->order == expected.order) << round << "\n" << text;
            for (std::uint32_t k = 1; k <= expected.order; ++k) {
                for (std::uint32_t x = 0; x < table.objectCount; ++x) {
                    RuleList renumbered = expected.rulesByOrder[k][x];
                    for (std::size_t word = 0; word + 1 < renumbered.size(); ++word) {
                        const bool support = word % (k + 1) == k;
                        renumbered[word] = support ? renumbered[word] : positions[renumbered[word]];
                        beyondFirstWord += !support && renumbered[word] >= 64 ? 1 : 0;
                    }
                    ASSERT_EQ(found->rulesByOrder[k][x], renumbered) << round << " " << k << " " << x << "\n" << text;
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
    std::string text;
    std::vector<std::uint32_t> positions;
    const SystemDecyzyjny narrow = randomTable(random, {150, 200, 10, 12, 3, 3}, text);
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

// A progress that asks the search to stop at its stopAt-th look, and checks what it is told.
class StoppingProgress : public Progress {
public:
    explicit StoppingProgress(std::uint64_t stopAt) : stopAt_(stopAt) {}

    void report(std::uint32_t stage, std::uint64_t done, std::uint64_t total) override
    {
        EXPECT_GE(stage, 1u);
        EXPECT_LE(done, total);
    }
    bool cancelled() const override { return ++looks_ >= stopAt_; }

    std::uint64_t looks() const { return looks_; }

private:
    std::uint64_t stopAt_;
    mutable std::atomic<std::uint64_t> looks_{0};
};

TEST(ExhaustiveSearch, AStoppedSearchLeavesTheEarlierResults)
{
    std::mt19937 random(41);
    std::string text;
    const SystemDecyzyjny source = randomTable(random, {200, 200, 12, 12, 3, 3}, text);
    ERCIM ercim;
    ercim.installValues(source.objectCount, source.attributeCount, source.values);
    ASSERT_TRUE(ercim.computeRules());
    const ExhaustiveRules before = *searchExhaustiveRules(ercim);
    const double seconds = ercim.elapsedSeconds;
    const auto unchanged = [&] {
        for (std::uint32_t k = 1; k <= ercim.attributeCount; ++k) {
            for (std::uint32_t x = 0; x < ercim.objectCount; ++x) {
                const bool searched = k < before.rulesByOrder.size() && x < before.rulesByOrder[k].size();
                const RuleList expected = searched ? before.rulesByOrder[k][x] : RuleList{};
                if (!std::ranges::equal(ercim.ruleListWords(k, x), expected)) {
                    return false;
                }
            }
        }
        return ercim.order == before.order && ercim.elapsedSeconds == seconds;
    };
    // Stopped at every stage of the search, on one thread and on two, until the search of all
    // orders is let through and replaces the results.
    std::uint64_t stopAt = 1;
    for (bool finished = false; !finished; stopAt += 1 + stopAt / 3) {
        for (const unsigned threads : {1u, 2u}) {
            StoppingProgress progress(stopAt);
            finished = ercim.computeRules(progress, {.allOrders = true, .threads = threads});
            if (finished) {
                break;
            }
            ASSERT_TRUE(unchanged()) << stopAt << " " << threads;
        }
    }
    EXPECT_GT(stopAt, 20u);
    EXPECT_FALSE(unchanged());
}

} // namespace
} // namespace kolven
