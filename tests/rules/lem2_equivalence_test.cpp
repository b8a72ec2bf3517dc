// The fast induction against the straightforward one: the same rules, condition for condition,
// bit for bit (a -0 stays -0), with the same decisions, supports and order.
#include "lem2.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

// The rules of a run, every value as its bit pattern so that 0 and -0 differ.
std::string exactRules(const std::vector<float>& matrix, std::uint32_t objects, bool reference)
{
    LEM2v1 lem2;
    lem2.installValues(objects, std::uint32_t(matrix.size() / objects) - 1, matrix);
    EXPECT_TRUE(reference ? lem2.runLem2Reference() : lem2.runLem2());
    std::ostringstream text;
    for (const auto& rule : lem2.rules) {
        for (const auto& c : rule.conditions) {
            text << 'a' << c.attribute << '=' << std::hex << std::bit_cast<std::uint32_t>(c.value) << std::dec << ' ';
        }
        text << "=>" << std::hex;
        for (float d : rule.decisions) {
            text << ' ' << std::bit_cast<std::uint32_t>(d);
        }
        text << std::dec << " [" << rule.support << "]\n";
    }
    return text.str();
}

// Random tables whose values and decisions come from the first few entries of palettes that hold
// 0 and -0 as distinct entries, so that duplicates, conflicting decisions and -0 beside 0 are frequent.
void compareOnRandomTables(std::uint32_t maxObjects, std::uint32_t maxAttributes, std::uint32_t maxValues,
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
        ASSERT_EQ(exactRules(matrix, objects, false), exactRules(matrix, objects, true))
            << "seed " << seed << ", round " << round << ": " << objects << " objects, " << attributes << " attributes";
    }
}

TEST(Lem2FastInduction, GivesTheReferenceRulesOnRandomTables)
{
    compareOnRandomTables(12, 4, 3, 3, 3000, 1); // ties, inconsistencies, full-length rules
    compareOnRandomTables(30, 7, 8, 7, 2000, 2); // chains of more than three decisions
    compareOnRandomTables(1, 6, 8, 7, 300, 3);   // one object
    compareOnRandomTables(25, 1, 4, 7, 700, 4);  // one attribute
    compareOnRandomTables(400, 8, 4, 3, 30, 5);  // goal sets of hundreds of objects
    compareOnRandomTables(300, 12, 3, 2, 20, 6);
}

TEST(Lem2FastInduction, TakesValueAndDecisionFromTheFirstGoalObjectCarryingThePair)
{
    // -0 and 0 are one value on attribute 0 and one decision class; each rule's condition and
    // decision are printed as the first goal object carrying its pairs has them.
    const std::vector<float> matrix{-0.0f, 5, -0.0f, 0.0f, 6, 0.0f, 0.0f, 7, 1, 1, 6, 1};
    EXPECT_EQ(exactRules(matrix, 4, false), exactRules(matrix, 4, true));
    LEM2v1 lem2;
    lem2.installValues(4, 2, matrix);
    ASSERT_TRUE(lem2.runLem2());
    ASSERT_EQ(lem2.rules.size(), 4u);
    EXPECT_EQ(lem2RuleText(lem2.rules[0]), " (a1=-0.000) & (a2=5.000) => (d=-0.000)");
    EXPECT_EQ(lem2RuleText(lem2.rules[1]), " (a1=0.000) & (a2=6.000) => (d=0.000)");
}

} // namespace
} // namespace kolven
