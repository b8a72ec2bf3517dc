// The fast induction against the straightforward one: the same rules, condition for condition,
// bit for bit (a -0 stays -0), with the same decisions, supports and order.
#include "lem2.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

// A rule with every value as its bit pattern, so that 0 and -0 differ.
std::string exactText(const Lem2Rule& rule)
{
    std::ostringstream text;
    text << std::hex;
    for (const auto& c : rule.conditions) {
        text << 'a' << c.attribute << '=' << std::bit_cast<std::uint32_t>(c.value) << ' ';
    }
    text << "=>";
    for (float d : rule.decisions) {
        text << ' ' << std::bit_cast<std::uint32_t>(d);
    }
    text << std::dec << " [" << rule.support << ']';
    return text.str();
}

std::vector<std::string> exactRules(const LEM2v1& lem2)
{
    std::vector<std::string> texts;
    for (const auto& rule : lem2.rules) {
        texts.push_back(exactText(rule));
    }
    return texts;
}

struct BothRuns {
    std::vector<std::string> fast;
    std::vector<std::string> reference;
};

BothRuns induceBoth(std::uint32_t objects, std::uint32_t attributes, const std::vector<float>& matrix)
{
    LEM2v1 fast;
    LEM2v1 reference;
    fast.installValues(objects, attributes, matrix);
    reference.installValues(objects, attributes, matrix);
    EXPECT_TRUE(fast.runLem2());
    EXPECT_TRUE(reference.runLem2Reference());
    return {exactRules(fast), exactRules(reference)};
}

// How a random table is drawn: condition values and decisions from the first few entries of a
// palette that holds 0 and -0 as distinct entries, so that duplicates, conflicting decisions and
// -0 beside 0 are frequent.
struct TableShape {
    std::uint32_t maxObjects;
    std::uint32_t maxAttributes;
    std::uint32_t maxValues;
    std::uint32_t maxDecisions;
};

const std::vector<float> kValuePalette{0.0f, -0.0f, 1.0f, 2.0f, -1.5f, 3.0f, 0.25f, 7.0f};
const std::vector<float> kDecisionPalette{0.0f, 1.0f, -0.0f, 2.0f, -1.0f, 3.0f, 4.0f};

void compareOnRandomTables(const TableShape& shape, int rounds, std::uint32_t seed)
{
    std::mt19937 random(seed);
    for (int round = 0; round < rounds && !::testing::Test::HasFailure(); ++round) {
        const std::uint32_t objects = 1 + random() % shape.maxObjects;
        const std::uint32_t attributes = 1 + random() % shape.maxAttributes;
        const std::uint32_t values = 1 + random() % shape.maxValues;
        const std::uint32_t decisions = 1 + random() % shape.maxDecisions;
        std::vector<float> matrix;
        for (std::uint32_t o = 0; o < objects; ++o) {
            for (std::uint32_t a = 0; a < attributes; ++a) {
                matrix.push_back(kValuePalette[random() % values]);
            }
            matrix.push_back(kDecisionPalette[random() % decisions]);
        }
        const BothRuns runs = induceBoth(objects, attributes, matrix);
        ASSERT_EQ(runs.fast, runs.reference) << "seed " << seed << ", round " << round << ": " << objects
                                             << " objects, " << attributes << " attributes";
    }
}

TEST(Lem2FastInduction, GivesTheReferenceRulesOnSmallRandomTables)
{
    // Few objects and values: ties, inconsistencies, full-length rules and decision chains.
    compareOnRandomTables({12, 4, 3, 3}, 3000, 1);
    // Wider tables with more values and decisions (chains of more than three decisions).
    compareOnRandomTables({30, 7, 8, 7}, 2000, 2);
}

TEST(Lem2FastInduction, GivesTheReferenceRulesOnOneObjectOrOneAttribute)
{
    compareOnRandomTables({1, 6, 8, 7}, 300, 3);
    compareOnRandomTables({25, 1, 4, 7}, 700, 4);
}

TEST(Lem2FastInduction, GivesTheReferenceRulesOnLargerTables)
{
    // Goal sets of hundreds of objects, long lists of rows still matching a growing rule.
    compareOnRandomTables({400, 8, 4, 3}, 30, 5);
    compareOnRandomTables({300, 12, 3, 2}, 20, 6);
}

TEST(Lem2FastInduction, TakesValueAndDecisionFromTheFirstGoalObjectCarryingThePair)
{
    // -0 and 0 are one value on attribute 0 and one decision class; each rule's condition and
    // decision are printed as the first goal object carrying its pairs has them.
    const std::vector<float> matrix{-0.0f, 5, -0.0f, 0.0f, 6, 0.0f, 0.0f, 7, 1, 1, 6, 1};
    const BothRuns runs = induceBoth(4, 2, matrix);
    EXPECT_EQ(runs.fast, runs.reference);
    LEM2v1 lem2;
    lem2.installValues(4, 2, matrix);
    ASSERT_TRUE(lem2.runLem2());
    ASSERT_EQ(lem2.rules.size(), 4u);
    EXPECT_EQ(lem2RuleText(lem2.rules[0]), " (a1=-0.000) & (a2=5.000) => (d=-0.000)");
    EXPECT_EQ(lem2RuleText(lem2.rules[1]), " (a1=0.000) & (a2=6.000) => (d=0.000)");
}

} // namespace
} // namespace kolven
