#include "rule_classifier.h"
#include "table_rows.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <optional>
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
