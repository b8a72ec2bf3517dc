#include "ercim.h"
#include "lem2.h"
#include "listed_rules.h"
#include "table_rows.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::tableOf;

TEST(ListedRules, AreTheRulesTheExportsShowWithTheirStatistics)
{
    // The worked example, whose exhaustive rules reach order 2: the rules in the order and with the
    // texts of worked-example.exhaustive.txt, each with its length, support and figures.
    ERCIM ercim = tableOf<ERCIM>(3, {{1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}});
    ercim.computeRules();
    EXPECT_EQ(ruleStatisticsCsv(ercim, listedRules(ercim)),
              "rule,length,support,matched,accuracy,coverage\r\n"
              " (a2=0.000) => (d=1.000) [2],1,2,2,1.000,0.667\r\n"
              " (a3=0.000) => (d=1.000) [2],1,2,2,1.000,0.667\r\n"
              " (a1=0.000) & (a2=1.000) => (d=0.000),2,1,1,1.000,0.500\r\n"
              " (a1=0.000) & (a3=1.000) => (d=0.000),2,1,1,1.000,0.500\r\n"
              " (a2=1.000) & (a3=1.000) => (d=0.000) [2],2,2,2,1.000,1.000\r\n");

    // A rule with two decisions counts the objects of both.
    LEM2v1 lem2 = tableOf<LEM2v1>(2, {{1, 1, 0}, {1, 1, 1}, {2, 2, 1}, {1, 2, 0}, {1, 2, 0}});
    ASSERT_TRUE(lem2.runLem2());
    const auto induced = listedRules(lem2);
    EXPECT_EQ(ruleStatisticsCsv(lem2, induced),
              "rule,length,support,matched,accuracy,coverage\r\n"
              " (a1=1.000) & (a2=2.000) => (d=0.000) [2],2,2,2,1.000,0.667\r\n"
              " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2],2,2,2,1.000,0.400\r\n"
              " (a1=2.000) => (d=1.000),1,1,1,1.000,0.500\r\n");

    // A text holding a comma or a quote is quoted, its quotes doubled.
    const std::vector<ListedRule> named{{induced[2].rule, "a,\"b\""}};
    EXPECT_EQ(ruleStatisticsCsv(lem2, named).substr(47), "\"a,\"\"b\"\"\",1,1,1,1.000,0.500\r\n");
}

TEST(Lem2Simplification, DropsConditionsInTheOrderChosenThenCoveredRules)
{
    // Eight objects on which LEM2 chooses needless conditions and a rule that another one covers.
    LEM2v1 lem2 = tableOf<LEM2v1>(
        3, {{1, 1, 2, 1}, {1, 0, 1, 1}, {2, 2, 1, 0}, {0, 1, 1, 0}, {1, 1, 1, 0}, {2, 1, 0, 1}, {1, 1, 1, 0}, {1, 2, 1, 0}});
    ASSERT_TRUE(lem2.runLem2Simplified());
    EXPECT_TRUE(lem2.simplified);
    EXPECT_EQ(testing::afterTimeLine(lem2ExportText(lem2)),
              " (a3=1.000) & (a2=1.000) => (d=0.000) [3]\r\n" // a1 dropped; a3 alone matches object 2
              " (a2=2.000) => (d=0.000) [2]\r\n"
              // (a1=0.000) => (d=0.000) went: its one object matches the first rule
              " (a3=2.000) => (d=1.000)\r\n"
              " (a2=0.000) => (d=1.000)\r\n"
              " (a1=2.000) & (a2=1.000) => (d=1.000)\r\n");
    // The plain run on the same object is the induction as it always was.
    ASSERT_TRUE(lem2.runLem2());
    EXPECT_FALSE(lem2.simplified);
    EXPECT_EQ(lem2.rules.size(), 6u);
}

// What simplification promises on any table: rules with several decisions, or matching objects
// of another decision, untouched and in order; every other kept rule certain, with no condition
// it could lose, matching some object no other kept certain rule matches (they are certain, so
// only rules of its class can), its support the objects it matches; and every object a certain
// plain rule matched still matched by one.
TEST(Lem2Simplification, KeepsItsPromisesOnRandomTables)
{
    std::mt19937 random(14);
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::uint32_t objects = 2 + random() % 30;
        const std::uint32_t attributes = 1 + random() % 4;
        std::vector<float> matrix(objects * (attributes + 1));
        for (float& value : matrix) {
            value = float(random() % 3);
        }
        LEM2v1 lem2;
        lem2.installValues(objects, attributes, matrix);
        ASSERT_TRUE(lem2.runLem2());
        const std::vector<Lem2Rule>& plain = lem2.rules;
        const std::vector<Lem2Rule> simple = simplifyLem2Rules(lem2, plain);

        // The objects rule matches that pass test (ranges of iota are avoided: clang 14 cannot use them).
        const auto matching = [&](const Lem2Rule& rule, const auto& test) {
            std::uint32_t count = 0;
            for (std::uint32_t o = 0; o < objects; ++o) {
                count += ruleMatches(rule, lem2.row(o)) && test(o) ? 1 : 0;
            }
            return count;
        };
        const auto any = [](std::uint32_t) { return true; };
        const auto certain = [&](const Lem2Rule& rule) {
            return rule.decisions.size() == 1 &&
                   matching(rule, [&](std::uint32_t o) { return lem2.decision(o) != rule.decisions[0]; }) == 0;
        };
        const auto caught = [&](const std::vector<Lem2Rule>& rules, std::uint32_t o, const Lem2Rule* except) {
            return std::any_of(rules.begin(), rules.end(), [&](const Lem2Rule& r) {
                return &r != except && certain(r) && ruleMatches(r, lem2.row(o));
            });
        };
        const auto uncertainOnes = [&](const std::vector<Lem2Rule>& rules) {
            std::vector<std::uint32_t> kept;
            for (const Lem2Rule& rule : rules) {
                if (!certain(rule)) {
                    kept.push_back(rule.support * 100 + std::uint32_t(rule.conditions.size()));
                }
            }
            return kept;
        };
        EXPECT_EQ(uncertainOnes(simple), uncertainOnes(plain));
        for (const Lem2Rule& rule : simple) {
            EXPECT_FALSE(rule.conditions.empty()); // a rule always keeps a condition
            for (std::size_t drop = 0; certain(rule) && rule.conditions.size() > 1 && drop < rule.conditions.size(); ++drop) {
                Lem2Rule shorter = rule;
                shorter.conditions.erase(shorter.conditions.begin() + std::ptrdiff_t(drop));
                EXPECT_FALSE(certain(shorter));
            }
            EXPECT_TRUE(!certain(rule) || rule.support == matching(rule, any));
            EXPECT_TRUE(!certain(rule) || matching(rule, [&](std::uint32_t o) { return !caught(simple, o, &rule); }) > 0);
        }
        for (std::uint32_t o = 0; o < objects; ++o) {
            EXPECT_EQ(caught(plain, o, nullptr), caught(simple, o, nullptr)) << "object " << o;
        }
    }
}

} // namespace
} // namespace kolven
