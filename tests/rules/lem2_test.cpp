#include "counting_progress.h"
#include "lem2.h"
#include "listed_rules.h"
#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kolven {
namespace {

// The texts of a run's rules; they show every value's sign, so -0 and 0 differ.
std::vector<std::string> ruleTexts(const LEM2v1& lem2)
{
    std::vector<std::string> texts;
    for (const auto& rule : lem2.rules) {
        texts.push_back(lem2RuleText(rule));
    }
    return texts;
}

// The rules induced from a table, as their texts.
std::vector<std::string> induce(std::uint32_t objects, std::uint32_t attributes, std::vector<float> matrix)
{
    LEM2v1 lem2;
    lem2.installValues(objects, attributes, std::move(matrix));
    EXPECT_TRUE(lem2.runLem2());
    return ruleTexts(lem2);
}

struct InductionCase {
    const char* behaviour;
    std::uint32_t objects;
    std::uint32_t attributes;
    std::vector<float> matrix;
    std::vector<std::string> rules;
};

TEST(Lem2Induction, SmallTablesGiveTheExpectedRulesInOrder)
{
    const std::vector<InductionCase> cases{
        {"a consistent table: one short rule per concept", 3, 2, {1, 1, 0, 1, 2, 0, 2, 1, 1},
         {" (a1=1.000) => (d=0.000) [2]", " (a1=2.000) => (d=1.000)"}},
        {"inconsistent objects share one full-length rule with both decisions", 3, 2, {1, 1, 0, 1, 1, 1, 2, 2, 1},
         {" (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2]", " (a1=2.000) => (d=1.000)"}},
        {"a concept covered by earlier full-length rules gets none; rows keep table order", 5, 2,
         {1, 1, 1, 4, 4, 0, 1, 1, 0, 4, 4, 1, 7, 7, 2},
         {" (a1=4.000) & (a2=4.000) => (d=0.000) v (d=1.000) [2]",
          " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2]", " (a1=7.000) => (d=2.000)"}},
        {"five classes on one vector: each later decision once, ascending", 6, 1, {7, 3, 7, 0, 7, 2, 7, 1, 7, 4, 7, 2},
         {" (a1=7.000) => (d=0.000) v (d=1.000) v (d=2.000) v (d=3.000) v (d=4.000) [6]"}},
        {"equal counts on two attributes: the smaller attribute", 3, 2, {5, 7, 0, 5, 7, 0, 1, 1, 1},
         {" (a1=5.000) => (d=0.000) [2]", " (a1=1.000) => (d=1.000)"}},
        {"count 1 everywhere: the first goal object's value, even the larger", 3, 2, {6, 1, 0, 5, 2, 0, 9, 9, 1},
         {" (a1=6.000) => (d=0.000)", " (a1=5.000) => (d=0.000)", " (a1=9.000) => (d=1.000)"}},
        {"conditions keep the order chosen", 3, 2, {1, 5, 0, 2, 5, 0, 9, 5, 1},
         {" (a2=5.000) & (a1=1.000) => (d=0.000)", " (a1=2.000) => (d=0.000)", " (a1=9.000) => (d=1.000)"}},
        {"consistency is tested against earlier concepts too", 3, 2, {1, 1, 0, 1, 2, 1, 1, 3, 1},
         {" (a1=1.000) & (a2=1.000) => (d=0.000)", " (a1=1.000) & (a2=2.000) => (d=1.000)",
          " (a1=1.000) & (a2=3.000) => (d=1.000)"}},
        {"support leaves out objects an earlier rule covered", 6, 2, {1, 1, 0, 2, 1, 0, 2, 2, 0, 3, 1, 0, 2, 3, 0, 9, 9, 1},
         {" (a1=2.000) => (d=0.000) [3]", " (a2=1.000) => (d=0.000) [2]", " (a1=9.000) => (d=1.000)"}},
        {"one attribute: every rule is full-length", 4, 1, {1, 0, 2, 0, 1, 1, 3, 1},
         {" (a1=1.000) => (d=0.000) v (d=1.000) [2]", " (a1=2.000) => (d=0.000)", " (a1=3.000) => (d=1.000)"}},
        {"concepts ascend whatever the row order; a one-object concept starts on attribute 0", 3, 2, {4, 8, 5, 1, 9, 2, 2, 9, 2},
         {" (a2=9.000) => (d=2.000) [2]", " (a1=4.000) => (d=5.000)"}},
        {"-0 and 0 are one value and one class; a rule shows them as its first goal object has them", 4, 2,
         {-0.0f, 5, -0.0f, 0.0f, 6, 0.0f, 0.0f, 7, 1, 1, 6, 1},
         {" (a1=-0.000) & (a2=5.000) => (d=-0.000)", " (a1=0.000) & (a2=6.000) => (d=0.000)",
          " (a1=0.000) & (a2=7.000) => (d=1.000)", " (a1=1.000) => (d=1.000)"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(induce(c.objects, c.attributes, c.matrix), c.rules) << c.behaviour;
    }
}

TEST(Lem2Induction, RefusesATableWithoutConditionAttributes)
{
    LEM2v1 lem2;
    lem2.installValues(2, 0, {0, 1});
    EXPECT_FALSE(lem2.runLem2());
    EXPECT_TRUE(lem2.rules.empty());
    // A run leaves the table as it was and releases its decision classes.
    const std::vector<float> matrix{2, 1, 1, 0, 3, 1};
    lem2.installValues(3, 1, matrix);
    ASSERT_TRUE(lem2.runLem2());
    EXPECT_EQ(lem2.values, matrix);
    EXPECT_TRUE(lem2.groupedRows.empty());
}

// Checks what follows from how rules grow and close: only a full-length rule fits rows of other
// classes, and then only of later ones, whose decisions it lists once each, ascending; support
// counts the concept's objects no earlier rule fits plus those later rows; every row is covered
// by a rule that lists its decision.
void checkInvariants(const LEM2v1& lem2)
{
    const auto& rules = lem2.rules;
    const auto matches = [&](const Lem2Rule& rule, std::uint32_t row) { return ruleMatches(rule, lem2.row(row)); };
    ASSERT_LE(rules.size(), lem2.objectCount);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const Lem2Rule& rule = rules[i];
        const float own = rule.decisions.at(0);
        const bool fullLength = rule.conditions.size() == lem2.attributeCount;
        EXPECT_TRUE(i == 0 || rules[i - 1].decisions[0] <= own) << "concepts out of order at rule " << i;
        std::vector<float> decisions{own};
        std::uint32_t support = 0;
        for (std::uint32_t row = 0; row < lem2.objectCount; ++row) {
            const float d = lem2.decision(row);
            if (!matches(rule, row)) {
                continue;
            }
            EXPECT_TRUE(d == own || (fullLength && d > own)) << "rule " << i << " fits row " << row;
            const bool coveredBefore = std::any_of(rules.begin(), rules.begin() + std::ptrdiff_t(i),
                                                   [&](const Lem2Rule& earlier) { return matches(earlier, row); });
            support += d > own || (d == own && !coveredBefore);
            if (d > own) {
                decisions.push_back(d);
            }
        }
        std::sort(decisions.begin() + 1, decisions.end());
        decisions.erase(std::unique(decisions.begin(), decisions.end()), decisions.end());
        EXPECT_EQ(rule.decisions, decisions) << "rule " << i;
        EXPECT_EQ(rule.support, support) << "rule " << i;
        EXPECT_GE(rule.support, 1u) << "rule " << i;
    }
    for (std::uint32_t row = 0; row < lem2.objectCount; ++row) {
        EXPECT_TRUE(std::any_of(rules.begin(), rules.end(), [&](const Lem2Rule& rule) {
            return matches(rule, row) && std::count(rule.decisions.begin(), rule.decisions.end(), lem2.decision(row)) == 1;
        })) << "row " << row << " is covered by no rule of its decision";
    }
}

// The fast induction gives the straightforward one's rules for a table of objects x attributes
// values and a decision.
void expectReferenceRules(std::uint32_t objects, std::uint32_t attributes, const std::vector<float>& matrix)
{
    LEM2v1 fast;
    LEM2v1 reference;
    fast.installValues(objects, attributes, matrix);
    reference.installValues(objects, attributes, matrix);
    ASSERT_TRUE(fast.runLem2());
    ASSERT_TRUE(reference.runLem2Reference());
    ASSERT_EQ(ruleTexts(fast), ruleTexts(reference));
}

// Random tables whose values and decisions come from the first few entries of palettes that hold
// 0 and -0 as distinct entries, so that duplicates, conflicting decisions and -0 beside 0 are
// frequent. The fast induction must give the straightforward one's rules (a -0 stays -0: the
// palettes differ in their texts), and the rules must keep consistency, coverage and support,
// on one thread or on several sharing the decision classes.
void checkRandomTables(std::uint32_t maxObjects, std::uint32_t maxAttributes, std::uint32_t maxValues,
                       std::uint32_t maxDecisions, int rounds, std::uint32_t seed)
{
    static const float values[] = {0.0f, -0.0f, 1.0f, 2.0f, -1.5f, 3.0f, 0.25f, 7.0f};
    static const float decisions[] = {0.0f, 1.0f, -0.0f, 2.0f, -1.0f, 3.0f, 4.0f};
    std::mt19937 random(seed);
    for (int round = 0; round < rounds && !::testing::Test::HasFailure(); ++round) {
        const std::uint32_t objects = 1 + random() % maxObjects;
        const std::uint32_t attributes = 1 + random() % maxAttributes;
        const std::uint32_t valueCount = 1 + random() % maxValues;
        const std::uint32_t decisionCount = 1 + random() % maxDecisions;
        std::vector<float> matrix;
        for (std::uint32_t i = 0; i < objects * (attributes + 1); ++i) {
            matrix.push_back(i % (attributes + 1) < attributes ? values[random() % valueCount]
                                                               : decisions[random() % decisionCount]);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        LEM2v1 fast;
        LEM2v1 reference;
        fast.installValues(objects, attributes, matrix);
        reference.installValues(objects, attributes, matrix);
        ASSERT_TRUE(fast.runLem2(noProgress(), 1 + round % 3));
        ASSERT_TRUE(reference.runLem2Reference());
        ASSERT_EQ(ruleTexts(fast), ruleTexts(reference));
        checkInvariants(fast);
    }
}

TEST(Lem2Induction, RandomTablesGiveTheReferenceRulesAndKeepConsistencyCoverageAndSupport)
{
    checkRandomTables(12, 4, 3, 3, 3000, 1); // ties, inconsistencies, full-length rules
    checkRandomTables(30, 7, 8, 7, 2000, 2); // chains of more than three decisions
    checkRandomTables(1, 6, 8, 7, 300, 3);   // one object
    checkRandomTables(25, 1, 4, 7, 700, 4);  // one attribute
    checkRandomTables(400, 8, 4, 3, 30, 5);  // goal sets of hundreds of objects
    checkRandomTables(300, 12, 3, 2, 20, 6);
    checkRandomTables(150, 40, 5, 3, 25, 7); // rows counted many attributes at a time, and a rest
}

// How many values an attribute has decides how the fast induction reads and counts the rows: more
// than 256 values make it read the rows' full pair codes instead of one byte per attribute, more
// than 16 count the bytes one by one rather than sixteen attributes at once.
TEST(Lem2Induction, TablesWithAnAttributeOfManyValuesGiveTheReferenceRules)
{
    std::mt19937 random(9);
    for (int round = 0; round < 18 && !::testing::Test::HasFailure(); ++round) {
        const std::uint32_t objects = 300 + random() % 300;
        const std::uint32_t attributes = 2 + random() % 4;
        const std::uint32_t manyValues = std::vector<std::uint32_t>{400, 100, 16}[round % 3];
        std::vector<float> matrix;
        for (std::uint32_t i = 0; i < objects * (attributes + 1); ++i) {
            const std::uint32_t column = i % (attributes + 1);
            matrix.push_back(float(random() % (column == 0 ? manyValues : 3)));
        }
        SCOPED_TRACE("round " + std::to_string(round));
        expectReferenceRules(objects, attributes, matrix);
    }
}

// Where every pair is too rare for bits, the first conditions' opponents are listed row by row;
// over thousands of objects the kept prefixes outgrow their room and are forgotten, all but the
// first conditions', whose lists are kept.
TEST(Lem2Induction, TablesOfRarePairsGiveTheReferenceRules)
{
    std::mt19937 random(11);
    for (int round = 0; round < 3 && !::testing::Test::HasFailure(); ++round) {
        const std::uint32_t objects = 1000 + random() % 600;
        const std::uint32_t attributes = 3 + std::uint32_t(round);
        std::vector<float> matrix;
        for (std::uint32_t i = 0; i < objects * (attributes + 1); ++i) {
            matrix.push_back(float(random() % (i % (attributes + 1) < attributes ? 40 : 3)));
        }
        SCOPED_TRACE("round " + std::to_string(round));
        expectReferenceRules(objects, attributes, matrix);
    }
}

// Rows are counted in batches of bytes that hold up to 255: two constant attributes over hundreds
// of objects make the second one's count, the largest below the first condition, reach past that.
TEST(Lem2Induction, LongConstantColumnsAreCountedInFull)
{
    std::mt19937 random(10);
    const std::uint32_t objects = 700;
    std::vector<float> matrix;
    for (std::uint32_t o = 0; o < objects; ++o) {
        matrix.insert(matrix.end(), {0.0f, 0.0f, float(random() % 2), float(random() % 3), float(random() % 2)});
    }
    LEM2v1 fast;
    LEM2v1 reference;
    fast.installValues(objects, 4, matrix);
    reference.installValues(objects, 4, matrix);
    ASSERT_TRUE(fast.runLem2());
    ASSERT_TRUE(reference.runLem2Reference());
    EXPECT_EQ(ruleTexts(fast), ruleTexts(reference));
}

TEST(Lem2Progress, CountsDecisionClassesAndACancelledRunKeepsTheEarlierRules)
{
    LEM2v1 lem2;
    ASSERT_TRUE(readTab(testing::dataFile("segment-challenge.tab"), lem2));
    testing::CountingProgress watched;
    ASSERT_TRUE(lem2.runLem2(watched, 1));
    EXPECT_EQ(watched.lastTotal, 7u); // the table's decision classes
    EXPECT_EQ(watched.maxDone, 6u);   // told before each class
    const std::string before = lem2ExportText(lem2);

    for (std::uint64_t stopAfter : {0, 1, 4}) {
        testing::CountingProgress stopping(stopAfter);
        EXPECT_FALSE(lem2.runLem2(stopping, 1));
        EXPECT_FALSE(lem2.runLem2Reference(stopping));
        EXPECT_EQ(lem2ExportText(lem2), before);
    }
    // Shared among threads, the classes are told by the calling thread as it begins each of its own.
    for (std::uint64_t stopAfter : {0, 1}) {
        testing::CountingProgress stopping(stopAfter);
        EXPECT_FALSE(lem2.runLem2(stopping, 2));
        EXPECT_EQ(lem2ExportText(lem2), before);
    }
}

} // namespace
} // namespace kolven
