#include "lem2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

namespace kolven {
namespace {

// A rule as plain values, so that whole rule tables compare and print readably.
struct RuleView {
    std::vector<std::pair<std::uint32_t, float>> conditions;
    std::vector<float> decisions;
    std::uint32_t support;

    bool operator==(const RuleView&) const = default;
};

void PrintTo(const RuleView& rule, std::ostream* os)
{
    *os << "{";
    for (const auto& [attribute, value] : rule.conditions) {
        *os << " a" << attribute << "=" << value;
    }
    *os << " =>";
    for (float d : rule.decisions) {
        *os << " " << d;
    }
    *os << " [" << rule.support << "] }";
}

std::vector<RuleView> induce(std::uint32_t objects, std::uint32_t attributes, std::vector<float> matrix)
{
    LEM2v1 lem2;
    lem2.installValues(objects, attributes, std::move(matrix));
    EXPECT_TRUE(lem2.runLem2());
    std::vector<RuleView> views;
    for (const auto& rule : lem2.rules) {
        RuleView view{{}, rule.decisions, rule.support};
        for (const auto& c : rule.conditions) {
            view.conditions.emplace_back(c.attribute, c.value);
        }
        views.push_back(view);
    }
    return views;
}

TEST(Lem2Induction, ConsistentTableGetsOneShortRulePerConcept)
{
    const auto rules = induce(3, 2, {1, 1, 0, 1, 2, 0, 2, 1, 1});
    EXPECT_EQ(rules, (std::vector<RuleView>{{{{0, 1}}, {0}, 2}, {{{0, 2}}, {1}, 1}}));
}

TEST(Lem2Induction, InconsistentObjectsShareOneFullLengthRuleWithEveryDecision)
{
    const auto rules = induce(3, 2, {1, 1, 0, 1, 1, 1, 2, 2, 1});
    EXPECT_EQ(rules, (std::vector<RuleView>{{{{0, 1}, {1, 1}}, {0, 1}, 2}, {{{0, 2}}, {1}, 1}}));
}

TEST(Lem2Induction, ConceptCoveredByEarlierFullLengthRulesGetsNoRule)
{
    // Every object of decision 1 repeats an object of decision 0; decision 2 still gets its own.
    // The rows of decision 0 keep their table order: (4, 4) first.
    const auto rules = induce(5, 2, {1, 1, 1, 4, 4, 0, 1, 1, 0, 4, 4, 1, 7, 7, 2});
    EXPECT_EQ(rules, (std::vector<RuleView>{
                         {{{0, 4}, {1, 4}}, {0, 1}, 2},
                         {{{0, 1}, {1, 1}}, {0, 1}, 2},
                         {{{0, 7}}, {2}, 1},
                     }));
}

TEST(Lem2Induction, SharedConditionVectorListsEveryLaterDecisionOnceAscending)
{
    // Five classes on one vector, rows out of order and one class twice: the chain holds five
    // distinct decisions and the support counts all six rows.
    const auto rules = induce(6, 1, {7, 3, 7, 0, 7, 2, 7, 1, 7, 4, 7, 2});
    EXPECT_EQ(rules, (std::vector<RuleView>{{{{0, 7}}, {0, 1, 2, 3, 4}, 6}}));
}

TEST(Lem2Induction, TiesGoToTheSmallerAttributeThenToTheFirstGoalObject)
{
    // Equal counts on attributes 0 and 1: attribute 0.
    EXPECT_EQ(induce(3, 2, {5, 7, 0, 5, 7, 0, 1, 1, 1}),
              (std::vector<RuleView>{{{{0, 5}}, {0}, 2}, {{{0, 1}}, {1}, 1}}));
    // Count 1 everywhere: the value of the first goal object, even when it is the larger one.
    EXPECT_EQ(induce(3, 2, {6, 1, 0, 5, 2, 0, 9, 9, 1}),
              (std::vector<RuleView>{{{{0, 6}}, {0}, 1}, {{{0, 5}}, {0}, 1}, {{{0, 9}}, {1}, 1}}));
}

TEST(Lem2Induction, ConditionsKeepTheOrderInWhichTheyWereChosen)
{
    // Attribute 1 is carried by both goal objects and chosen first, then attribute 0 makes the
    // rule consistent; the second object then wins on attribute 0 alone.
    const auto rules = induce(3, 2, {1, 5, 0, 2, 5, 0, 9, 5, 1});
    EXPECT_EQ(rules, (std::vector<RuleView>{
                         {{{1, 5}, {0, 1}}, {0}, 1},
                         {{{0, 2}}, {0}, 1},
                         {{{0, 9}}, {1}, 1},
                     }));
}

TEST(Lem2Induction, ConsistencyIsTestedAgainstEarlierConceptsToo)
{
    // (attribute 0 = 1) fits both objects of decision 1 but also the object of decision 0.
    const auto rules = induce(3, 2, {1, 1, 0, 1, 2, 1, 1, 3, 1});
    EXPECT_EQ(rules, (std::vector<RuleView>{
                         {{{0, 1}, {1, 1}}, {0}, 1},
                         {{{0, 1}, {1, 2}}, {1}, 1},
                         {{{0, 1}, {1, 3}}, {1}, 1},
                     }));
}

TEST(Lem2Induction, SupportCountsOnlyObjectsNoEarlierRuleCovered)
{
    // The second rule also fits the object at row 1, which the first rule already covered.
    const auto rules = induce(6, 2, {1, 1, 0, 2, 1, 0, 2, 2, 0, 3, 1, 0, 2, 3, 0, 9, 9, 1});
    EXPECT_EQ(rules, (std::vector<RuleView>{
                         {{{0, 2}}, {0}, 3},
                         {{{1, 1}}, {0}, 2},
                         {{{0, 9}}, {1}, 1},
                     }));
}

TEST(Lem2Induction, WithOneAttributeEveryRuleIsFullLength)
{
    const auto rules = induce(4, 1, {1, 0, 2, 0, 1, 1, 3, 1});
    EXPECT_EQ(rules, (std::vector<RuleView>{
                         {{{0, 1}}, {0, 1}, 2},
                         {{{0, 2}}, {0}, 1},
                         {{{0, 3}}, {1}, 1},
                     }));
}

TEST(Lem2Induction, ConceptsComeInAscendingDecisionWhateverTheRowOrder)
{
    // A concept of one object starts with attribute 0 and that object's value.
    const auto rules = induce(3, 2, {4, 8, 5, 1, 9, 2, 2, 9, 2});
    EXPECT_EQ(rules, (std::vector<RuleView>{{{{1, 9}}, {2}, 2}, {{{0, 4}}, {5}, 1}}));
}

TEST(Lem2Induction, RefusesATableWithoutConditionAttributes)
{
    LEM2v1 lem2;
    lem2.installValues(2, 0, {0, 1});
    EXPECT_FALSE(lem2.runLem2());
    EXPECT_TRUE(lem2.rules.empty());
    EXPECT_TRUE(lem2.groupedRows.empty());
}

TEST(Lem2Induction, LeavesTheTableAsItWasAndReleasesTheClasses)
{
    LEM2v1 lem2;
    const std::vector<float> matrix{2, 1, 1, 0, 3, 1};
    lem2.installValues(3, 1, matrix);
    ASSERT_TRUE(lem2.runLem2());
    EXPECT_EQ(lem2.values, matrix);
    EXPECT_TRUE(lem2.groupedRows.empty());
    EXPECT_TRUE(lem2.classStarts.empty());
    EXPECT_GE(lem2.elapsedSeconds, 0.0);
}

// What every rule table must satisfy, derived from how rules are grown and closed.
class Lem2Invariants {
public:
    explicit Lem2Invariants(const LEM2v1& lem2) : lem2_(lem2) {}

    bool matches(const Lem2Rule& rule, std::uint32_t row) const
    {
        return std::all_of(rule.conditions.begin(), rule.conditions.end(),
                           [&](const Lem2Rule::Condition& c) { return lem2_.value(row, c.attribute) == c.value; });
    }

    bool matchedBefore(std::size_t ruleIndex, std::uint32_t row) const
    {
        return std::any_of(lem2_.rules.begin(), lem2_.rules.begin() + std::ptrdiff_t(ruleIndex),
                           [&](const Lem2Rule& earlier) { return matches(earlier, row); });
    }

    // Support: the concept's objects that no earlier rule fits, plus, for a full-length rule, the
    // objects of later classes that share its values.
    std::uint32_t expectedSupport(std::size_t ruleIndex) const
    {
        const Lem2Rule& rule = lem2_.rules[ruleIndex];
        std::uint32_t support = 0;
        for (std::uint32_t row = 0; row < lem2_.objectCount; ++row) {
            const float d = lem2_.decision(row);
            if (matches(rule, row) && (d > rule.decisions[0] || (d == rule.decisions[0] && !matchedBefore(ruleIndex, row)))) {
                ++support;
            }
        }
        return support;
    }

    // The concept's decision, then every decision of a later class that fits, ascending.
    std::vector<float> expectedDecisions(const Lem2Rule& rule) const
    {
        std::vector<float> decisions{rule.decisions[0]};
        for (std::uint32_t row = 0; row < lem2_.objectCount; ++row) {
            if (matches(rule, row) && lem2_.decision(row) > rule.decisions[0]) {
                decisions.push_back(lem2_.decision(row));
            }
        }
        std::sort(decisions.begin() + 1, decisions.end());
        decisions.erase(std::unique(decisions.begin(), decisions.end()), decisions.end());
        return decisions;
    }

    void check() const
    {
        const auto& rules = lem2_.rules;
        ASSERT_FALSE(rules.empty());
        ASSERT_LE(rules.size(), lem2_.objectCount);
        for (std::size_t i = 0; i < rules.size(); ++i) {
            checkRule(i);
        }
        for (std::uint32_t row = 0; row < lem2_.objectCount; ++row) {
            const bool covered = std::any_of(rules.begin(), rules.end(), [&](const Lem2Rule& rule) {
                return matches(rule, row) && std::count(rule.decisions.begin(), rule.decisions.end(), lem2_.decision(row)) == 1;
            });
            EXPECT_TRUE(covered) << "row " << row << " is covered by no rule of its decision";
        }
    }

private:
    void checkRule(std::size_t i) const
    {
        const Lem2Rule& rule = lem2_.rules[i];
        const bool fullLength = rule.conditions.size() == lem2_.attributeCount;
        ASSERT_FALSE(rule.conditions.empty());
        ASSERT_FALSE(rule.decisions.empty());
        if (i > 0) {
            EXPECT_LE(lem2_.rules[i - 1].decisions[0], rule.decisions[0]) << "concepts out of order at rule " << i;
        }
        std::vector<std::uint32_t> attributes;
        for (const auto& c : rule.conditions) {
            attributes.push_back(c.attribute);
        }
        std::sort(attributes.begin(), attributes.end());
        EXPECT_EQ(std::adjacent_find(attributes.begin(), attributes.end()), attributes.end()) << "rule " << i;
        EXPECT_LT(attributes.back(), lem2_.attributeCount);

        for (std::uint32_t row = 0; row < lem2_.objectCount; ++row) {
            const float d = lem2_.decision(row);
            if (!matches(rule, row) || d == rule.decisions[0]) {
                continue;
            }
            EXPECT_TRUE(fullLength && d > rule.decisions[0]) << "rule " << i << " fits row " << row << " of another class";
        }
        EXPECT_EQ(rule.decisions, expectedDecisions(rule)) << "rule " << i;
        EXPECT_EQ(rule.support, expectedSupport(i)) << "rule " << i;
        EXPECT_GE(rule.support, 1u);
    }

    const LEM2v1& lem2_;
};

TEST(Lem2Induction, RandomTablesKeepConsistencyCoverageAndSupport)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        const std::uint32_t objects = 1 + random() % 14;
        const std::uint32_t attributes = 1 + random() % 4;
        const std::uint32_t valueRange = 1 + random() % 3;
        const std::uint32_t decisionRange = 1 + random() % 4;
        std::vector<float> matrix;
        for (std::uint32_t o = 0; o < objects; ++o) {
            for (std::uint32_t a = 0; a < attributes; ++a) {
                matrix.push_back(float(random() % valueRange));
            }
            matrix.push_back(float(random() % decisionRange) - 1.0f);
        }
        LEM2v1 lem2;
        lem2.installValues(objects, attributes, matrix);
        ASSERT_TRUE(lem2.runLem2());
        SCOPED_TRACE("round " + std::to_string(round));
        Lem2Invariants(lem2).check();
        if (::testing::Test::HasFailure()) {
            return;
        }
    }
}

} // namespace
} // namespace kolven
