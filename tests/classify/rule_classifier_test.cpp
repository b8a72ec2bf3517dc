#include "rule_classifier.h"
#include "listed_rules.h"
#include "table_rows.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::fillTable;
using testing::tableOf;

// A rule on attribute 0 (value 1 unless given) with its decisions and support.
Lem2Rule rule(std::vector<float> decisions, std::uint32_t support, float value = 1)
{
    return Lem2Rule{{{0, value}}, std::move(decisions), support};
}

struct VoteCase {
    const char* name;
    std::vector<Lem2Rule> rules;
    float value; // the test object's value on attribute 0
    std::optional<float> expected;
};

TEST(RuleVote, TheStrictlyLargestSupportTotalWins)
{
    const VoteCase cases[] = {
        {"no rule matches", {rule({0}, 5, 2)}, 1, std::nullopt},
        {"no rules at all", {}, 1, std::nullopt},
        {"one rule", {rule({3}, 1)}, 1, 3.0f},
        {"larger support", {rule({0}, 2), rule({1}, 3)}, 1, 1.0f},
        {"supports add up per decision", {rule({0}, 1), rule({0}, 1), rule({1}, 1), rule({0}, 1), rule({1}, 1)}, 1, 0.0f},
        {"tied top", {rule({0}, 2), rule({1}, 2)}, 1, std::nullopt},
        {"tied top above a smaller total", {rule({2}, 1), rule({0}, 2), rule({1}, 2)}, 1, std::nullopt},
        {"tie below the top", {rule({0}, 1), rule({1}, 1), rule({2}, 3)}, 1, 2.0f},
        {"a rule that does not match adds nothing", {rule({0}, 2), rule({1}, 5, 7), rule({1}, 1)}, 1, 0.0f},
        {"several decisions alone tie", {rule({0, 1}, 2)}, 1, std::nullopt},
        {"several decisions each get the support", {rule({0, 1}, 2), rule({1}, 1), rule({2}, 2)}, 1, 1.0f},
        {"a decision listed twice counts once", {rule({1, 1}, 2), rule({2}, 3)}, 1, 2.0f},
        {"-0 and 0 are one decision", {rule({-0.0f}, 2), rule({0.0f}, 1), rule({1}, 2)}, 1, 0.0f},
        {"-0 matches a condition on 0", {rule({4}, 1, 0.0f)}, -0.0f, 4.0f},
    };
    for (const VoteCase& c : cases) {
        const float row[] = {c.value, 9};
        EXPECT_EQ(ruleVote(c.rules, row), c.expected) << c.name;
    }
}

// A rule asking attribute i for values[i], a negative value leaving attribute i out.
Lem2Rule ruleOn(std::vector<float> values, std::vector<float> decisions, std::uint32_t support)
{
    Lem2Rule made{{}, std::move(decisions), support};
    for (std::uint32_t i = 0; i < values.size(); ++i) {
        if (values[i] >= 0) {
            made.conditions.push_back({i, values[i]});
        }
    }
    return made;
}

TEST(PartialRuleVote, TheRulesOfTheLargestShareVoteWhenNoneMatchesCompletely)
{
    const VoteCase cases[] = { // the object is all 1; a condition on 0 fails
        {"a complete match votes alone", {ruleOn({1, 1}, {0}, 1), ruleOn({1, 0, 1, 1}, {1}, 9)}, 1, 0.0f},
        {"a complete tie stays a tie", {ruleOn({1}, {0}, 1), ruleOn({1, 1}, {1}, 1), ruleOn({1, 0}, {2}, 9)}, 1, std::nullopt},
        {"a rule without conditions matches completely", {ruleOn({}, {2}, 1), ruleOn({1, 0}, {1}, 9)}, 1, 2.0f},
        {"no condition holds", {ruleOn({0, 0}, {0}, 1), ruleOn({0}, {1}, 1)}, 1, std::nullopt},
        {"a larger share beats more support", {ruleOn({1, 1, 0}, {0}, 1), ruleOn({1, 0}, {1}, 100)}, 1, 0.0f},
        {"2/3 beats 3/5", {ruleOn({1, 0, 0, 1, 1}, {0}, 50), ruleOn({1, 1, 0}, {1}, 1)}, 1, 1.0f},
        {"5/7 beats 7/10", {ruleOn({1, 1, 1, 1, 1, 1, 1, 0, 0, 0}, {0}, 50), ruleOn({1, 1, 1, 1, 1, 0, 0}, {1}, 1)}, 1, 1.0f},
        {"1/2 and 2/4 are one share", {ruleOn({1, 0}, {0}, 3), ruleOn({1, 1, 0, 0}, {1}, 2), ruleOn({0, 1}, {1}, 2)}, 1, 1.0f},
        {"top shared", {ruleOn({1, 0}, {0}, 2), ruleOn({0, 1}, {1}, 2), ruleOn({0, 0, 1}, {2}, 9)}, 1, std::nullopt},
        {"support 0 alone names its decision", {ruleOn({1, 0}, {3}, 0), ruleOn({1, 0, 0}, {1}, 5)}, 1, 3.0f},
        {"support 0 loses to 1", {ruleOn({1, 0}, {3}, 0), ruleOn({0, 1}, {1}, 1)}, 1, 1.0f},
        {"several decisions, each once", {ruleOn({1, 0}, {0, 1, 1}, 2), ruleOn({-1, 1, 0}, {1}, 1)}, 1, 1.0f},
    };
    const float row[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (const VoteCase& c : cases) {
        EXPECT_EQ(partialRuleVote(c.rules, row), c.expected) << c.name;
    }
}

// The definition evaluated directly for rules of 1 to 4 conditions: each share in twelfths, a
// complete match being the share 12 that only complete matches reach.
TEST(PartialRuleVote, AgreesWithTheDefinitionOnRandomRules)
{
    std::mt19937 random(2026);
    const auto below = [&random](int n) { return float(random() % std::uint32_t(n)); };
    int partlyMatched = 0;
    for (int round = 0; round < 3000; ++round) {
        const float row[] = {below(3), below(3), below(3), below(3)};
        std::vector<Lem2Rule> rules;
        std::vector<std::uint64_t> twelfths;
        for (float count = below(6); count > 0; --count) {
            std::vector<float> values{below(4) - 1, below(4) - 1, below(4) - 1, below(4) - 1};
            values[std::size_t(below(4))] = below(3); // 1 to 4 conditions
            rules.push_back(ruleOn(values, {below(3), below(3)}, std::uint32_t(below(4))));
            const auto& conditions = rules.back().conditions;
            const auto held = std::count_if(conditions.begin(), conditions.end(), [&](auto& c) { return row[c.attribute] == c.value; });
            twelfths.push_back(std::uint64_t(held) * 12 / conditions.size());
        }
        const std::uint64_t top = twelfths.empty() ? 0 : *std::max_element(twelfths.begin(), twelfths.end());
        std::map<float, std::uint64_t> totals;
        for (std::size_t i = 0; i < rules.size(); ++i) {
            for (float d : std::set<float>(rules[i].decisions.begin(), rules[i].decisions.end())) {
                if (top > 0 && twelfths[i] == top) {
                    totals[d] += rules[i].support * top;
                }
            }
        }
        std::optional<float> expected;
        for (const auto& entry : totals) {
            const std::uint64_t total = entry.second;
            const auto larger = std::count_if(totals.begin(), totals.end(), [&](auto& t) { return t.second >= total; });
            expected = larger == 1 ? std::optional<float>(entry.first) : expected;
        }
        ASSERT_EQ(partialRuleVote(rules, row), expected) << "round " << round;
        partlyMatched += expected && top < 12 ? 1 : 0;
    }
    EXPECT_GT(partlyMatched, 300); // the draws reach the partial matching often
}

// Voting by decision, evaluated directly: each rule of several decisions becomes a rule a distinct
// decision, in order, with the objects of that decision it matches as support, none when there
// are none.
std::vector<Lem2Rule> votingByDecisionByDefinition(const std::vector<Lem2Rule>& rules, const SystemDecyzyjny& table)
{
    std::vector<Lem2Rule> expected;
    for (const Lem2Rule& r : rules) {
        if (r.decisions.size() < 2) {
            expected.push_back(r);
            continue;
        }
        for (std::size_t j = 0; j < r.decisions.size(); ++j) {
            const float d = r.decisions[j];
            if (std::find(r.decisions.begin(), r.decisions.begin() + std::ptrdiff_t(j), d) != r.decisions.begin() + std::ptrdiff_t(j)) {
                continue;
            }
            std::uint32_t count = 0;
            for (std::uint32_t object = 0; object < table.objectCount; ++object) {
                count += ruleMatches(r, table.row(object)) && table.decision(object) == d ? 1 : 0;
            }
            if (count > 0) {
                expected.push_back(Lem2Rule{r.conditions, {d}, count});
            }
        }
    }
    return expected;
}

std::string rulesText(const std::vector<Lem2Rule>& rules)
{
    std::string text;
    for (const Lem2Rule& r : rules) {
        text += lem2RuleText(r) + "\n";
    }
    return text;
}

TEST(VotingByDecision, EachDecisionGetsTheTrainingObjectsOfItThatTheRuleMatches)
{
    std::mt19937 random(77);
    const auto below = [&random](int n) { return float(random() % std::uint32_t(n)); };
    int split = 0;
    for (int round = 0; round < 300; ++round) {
        LEM2v1 lem2;
        testing::Rows rows;
        for (int object = 0; object < 60; ++object) {
            // -0 among the values and the decisions: a condition on 0 matches it, and it is the decision 0.
            const auto value = [&] { const float v = below(3); return v == 0 && below(2) == 0 ? -0.0f : v; };
            rows.push_back({value(), value(), value(), value() + below(2)});
        }
        fillTable(lem2, 3, rows);
        for (float count = 1 + below(8); count > 0; --count) {
            // 1 to 3 conditions in any order, an attribute now and then asked twice.
            Lem2Rule made{{}, {}, 1 + std::uint32_t(below(5))};
            for (float conditions = 1 + below(3); conditions > 0; --conditions) {
                made.conditions.push_back({std::uint32_t(below(3)), below(3)});
            }
            for (float decisions = 1 + below(3); decisions > 0; --decisions) {
                made.decisions.push_back(below(5) == 0 ? -0.0f : below(4));
            }
            lem2.rules.push_back(made);
        }
        const auto expected = votingByDecisionByDefinition(lem2.rules, lem2);
        const ClassificationRules voting = classificationRules(lem2, RuleVoting::ByDecision);
        ASSERT_EQ(rulesText(voting.rules), rulesText(expected)) << "round " << round;
        EXPECT_EQ(voting.voting, RuleVoting::ByDecision);
        EXPECT_EQ(rulesText(classificationRules(lem2).rules), rulesText(lem2.rules));
        split += voting.rules.size() != lem2.rules.size() ? 1 : 0;
    }
    EXPECT_GT(split, 200);
}

TEST(VotingByDecision, TheDecisionMostOfARulesObjectsHaveWins)
{
    // The full-length rule (a0=1) => 0 v 1 [3] takes two objects of 0 and one of 1.
    LEM2v1 lem2 = tableOf<LEM2v1>(1, {{1, 0}, {1, 1}, {1, 0}, {2, 1}});
    ASSERT_TRUE(lem2.runLem2());
    SystemDecyzyjny test;
    fillTable(test, 1, {{1, 0}, {2, 1}});
    RuleClassification shared;
    RuleClassification byDecision;
    ASSERT_EQ(classifyByRules(classificationRules(lem2), test, shared), std::nullopt);
    ASSERT_EQ(classifyByRules(classificationRules(lem2, RuleVoting::ByDecision), test, byDecision), std::nullopt);
    EXPECT_EQ(shared.caughtCount, 1u); // a tie: 3 to each decision
    EXPECT_EQ(byDecision.caughtCount, 2u);
    EXPECT_EQ(byDecision.correctCount, 2u);
    EXPECT_EQ(ruleSummaryText(byDecision).substr(0, 34), "Reguly: LEM2, glosy wedlug decyzji");
}

TEST(RuleClassifier, CountsCaughtAndCorrectObjectsWithAConfusionMatrix)
{
    ClassificationRules rules{RuleKind::Lem2Simplified, 1, true, {rule({0}, 2, 1), rule({1}, 1, 2), rule({0}, 1, 3), rule({1}, 1, 3)}};
    SystemDecyzyjny test;
    // Values 1 and 2 are caught, 3 is a tie, 4 matches nothing; -0 is the decision 0.
    fillTable(test, 1, {{1, 0}, {2, -0.0f}, {1, 1}, {3, 1}, {4, 0}, {1, 0}, {2, 5}, {2, 1}});
    RuleClassification results;
    ASSERT_EQ(classifyByRules(rules, test, results), std::nullopt);
    EXPECT_EQ(ruleResultsText(results), "Reguly: LEM2 (uproszczone)\n"
                                        "Ilosc obiektow systemu testowego: 8\n"
                                        "Ilosc obiektow chwyconych: 6\n"
                                        "Ilosc obiektow poprawnie sklasyfikowanych: 3\n"
                                        "Total accuracy: 0.500\n"
                                        "Total coverage: 0.750\n"
                                        "\n"
                                        "       0.000  1.000  nie chwycone\n"
                                        "0.000      2      1             1\n"
                                        "1.000      1      1             1\n"
                                        "5.000      0      1             0");
    EXPECT_EQ(testing::afterTimeLine(ruleReportText(results)).substr(0, 28), "Reguly: LEM2 (uproszczone)\r\n");
    // A decision -0 met first is labelled 0.000 too.
    results.trueDecisions = {-0.0f};
    results.predictedDecisions = {-0.0f};
    EXPECT_EQ(confusionMatrixCells(results)[0][1] + confusionMatrixCells(results)[1][0], "0.0000.000");
    // Partial matching catches the object of value 4 by half of (a0=4) & (a1=7) => 5.
    rules.rules.push_back(Lem2Rule{{{0, 4}, {1, 7}}, {5}, 1});
    rules.matching = RuleMatching::Partial;
    ASSERT_EQ(classifyByRules(rules, test, results), std::nullopt);
    EXPECT_EQ(results.caughtCount, 7u);
}

TEST(RuleClassifier, RefusesRulesNotComputedAndTablesOfAnotherWidthChangingNothing)
{
    SystemDecyzyjny test;
    fillTable(test, 1, {{1, 0}});
    RuleClassification results;
    results.caughtCount = 77;
    EXPECT_EQ(classifyByRules(ClassificationRules{RuleKind::Lem2, 1, false, {}}, test, results), RuleRefusal::NotComputed);
    EXPECT_EQ(classifyByRules(ClassificationRules{RuleKind::Lem2, 2, true, {rule({0}, 1)}}, test, results),
              RuleRefusal::AttributeMismatch);
    EXPECT_EQ(results.caughtCount, 77u);
    // A cancelled classification (a cross-validation stopped inside a fold) changes nothing either.
    struct Cancelled : Progress {
        bool cancelled() const override { return true; }
    } stopped;
    EXPECT_FALSE(classifyByRules(ClassificationRules{RuleKind::Lem2, 1, true, {rule({0}, 1)}}, test, results, stopped));
    EXPECT_EQ(results.caughtCount, 77u);

    // Fresh algorithm objects hold no rules yet; after their runs they do.
    ERCIM ercim = tableOf<ERCIM>(1, {{1, 0}, {2, 1}});
    LEM2v1 lem2 = tableOf<LEM2v1>(1, {{1, 0}, {2, 1}});
    EXPECT_FALSE(classificationRules(ercim).computed);
    EXPECT_FALSE(classificationRules(lem2).computed);
    ercim.computeRules();
    ASSERT_TRUE(lem2.runLem2());
    const auto exhaustive = classificationRules(ercim);
    const auto induced = classificationRules(lem2);
    EXPECT_TRUE(exhaustive.computed);
    EXPECT_EQ(exhaustive.kind, RuleKind::Exhaustive);
    EXPECT_EQ(exhaustive.rules.size(), 2u);
    EXPECT_EQ(induced.kind, RuleKind::Lem2);
    ASSERT_EQ(classifyByRules(induced, test, results), std::nullopt);
    EXPECT_EQ(results.correctCount, 1u);
}

} // namespace
} // namespace kolven
