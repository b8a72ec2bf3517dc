#include "ercim.h"
#include "lem2.h"
#include "listed_rules.h"
#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace kolven {
namespace {

template <typename Table>
void read(const std::string& tab, Table& table)
{
    ASSERT_TRUE(parseTab(tab, table));
}

// The rules' lines, each ended by CR LF.
std::string lines(const std::vector<ListedRule>& rules)
{
    std::string text;
    for (const ListedRule& listed : rules) {
        text += listed.text + "\r\n";
    }
    return text;
}

// Five objects of three attributes whose exhaustive rules reach order 2.
constexpr const char* kWorkedExample = "ATTRIBUTES 4 OBJECTS 5\n1 0 1 1\n1 1 0 1\n0 1 1 0\n1 1 1 0\n0 0 0 1\n";

TEST(ListedRules, AreTheRulesTheExportsShowWithTheirStatistics)
{
    ERCIM ercim;
    read(kWorkedExample, ercim);
    ercim.computeRules();
    const auto exhaustive = listedRules(ercim);
    std::string exported = testing::afterTimeLine(exhaustiveExportText(ercim));
    exported.erase(0, exported.find("\r\n") + 2);                                 // "Rzad: 1"
    exported.erase(exported.find("Rzad: 2\r\n"), std::string("Rzad: 2\r\n").size());
    EXPECT_EQ(lines(exhaustive), exported);
    ASSERT_EQ(exhaustive.size(), 5u);
    EXPECT_EQ(exhaustive[4].rule.conditions.size(), 2u);
    EXPECT_EQ(exhaustive[4].rule.support, 2u);
    EXPECT_EQ(ruleStatisticsCsv(ercim, exhaustive),
              "rule,length,support,matched,accuracy,coverage\r\n"
              " (a2=0.000) => (d=1.000) [2],1,2,2,1.000,0.667\r\n"
              " (a3=0.000) => (d=1.000) [2],1,2,2,1.000,0.667\r\n"
              " (a1=0.000) & (a2=1.000) => (d=0.000),2,1,1,1.000,0.500\r\n"
              " (a1=0.000) & (a3=1.000) => (d=0.000),2,1,1,1.000,0.500\r\n"
              " (a2=1.000) & (a3=1.000) => (d=0.000) [2],2,2,2,1.000,1.000\r\n");

    // A rule with two decisions counts the objects of both.
    LEM2v1 lem2;
    read("ATTRIBUTES 3 OBJECTS 5\n1 1 0\n1 1 1\n2 2 1\n1 2 0\n1 2 0\n", lem2);
    ASSERT_TRUE(lem2.runLem2());
    const auto induced = listedRules(lem2);
    EXPECT_EQ(lines(induced), testing::afterTimeLine(lem2ExportText(lem2)));
    EXPECT_EQ(ruleStatisticsCsv(lem2, induced),
              "rule,length,support,matched,accuracy,coverage\r\n"
              " (a1=1.000) & (a2=2.000) => (d=0.000) [2],2,2,2,1.000,0.667\r\n"
              " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2],2,2,2,1.000,0.400\r\n"
              " (a1=2.000) => (d=1.000),1,1,1,1.000,0.500\r\n");

    // A text holding a comma or a quote is quoted, its quotes doubled.
    const std::vector<ListedRule> named{{induced[2].rule, "a,\"b\""}};
    EXPECT_EQ(ruleStatisticsCsv(lem2, named).substr(47), "\"a,\"\"b\"\"\",1,1,1,1.000,0.500\r\n");
}

// Eight objects on which LEM2 chooses needless conditions and a rule that another one covers.
constexpr const char* kRedundant =
    "ATTRIBUTES 4 OBJECTS 8\n1 1 2 1\n1 0 1 1\n2 2 1 0\n0 1 1 0\n1 1 1 0\n2 1 0 1\n1 1 1 0\n1 2 1 0\n";

TEST(Lem2Simplification, DropsConditionsInTheOrderChosenThenCoveredRules)
{
    LEM2v1 lem2;
    read(kRedundant, lem2);
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
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t objects = 2 + random() % 30;
        const std::uint32_t attributes = 1 + random() % 4;
        std::vector<float> matrix(objects * (attributes + 1));
        for (float& value : matrix) {
            value = float(random() % 3);
        }
        LEM2v1 lem2;
        lem2.installValues(objects, attributes, matrix);
        ASSERT_TRUE(lem2.runLem2());
        const std::vector<Lem2Rule> plain = lem2.rules;
        const std::vector<Lem2Rule> simple = simplifyLem2Rules(lem2, plain);

        const auto matches = [&](const Lem2Rule& rule, std::uint32_t o) { return ruleMatches(rule, lem2.row(o)); };
        // The number of objects that pass test (ranges of iota are avoided: clang 14 cannot use them).
        const auto countObjects = [&](const auto& test) {
            std::uint32_t count = 0;
            for (std::uint32_t o = 0; o < objects; ++o) {
                count += test(o) ? 1 : 0;
            }
            return count;
        };
        const auto certain = [&](const Lem2Rule& rule) {
            return rule.decisions.size() == 1 && countObjects([&](std::uint32_t o) {
                       return matches(rule, o) && lem2.decision(o) != rule.decisions[0];
                   }) == 0;
        };
        const auto caught = [&](const std::vector<Lem2Rule>& rules, std::uint32_t o, const Lem2Rule* except) {
            return std::any_of(rules.begin(), rules.end(),
                               [&](const Lem2Rule& r) { return &r != except && certain(r) && matches(r, o); });
        };
        const auto supports = [&](const std::vector<Lem2Rule>& rules, bool certainOnes) {
            std::vector<std::uint32_t> kept;
            for (const Lem2Rule& rule : rules) {
                if (certain(rule) == certainOnes) {
                    kept.push_back(rule.support * 100 + std::uint32_t(rule.conditions.size()));
                }
            }
            return kept;
        };
        EXPECT_EQ(supports(simple, false), supports(plain, false)) << "round " << round;
        for (const Lem2Rule& rule : simple) {
            if (!certain(rule)) {
                continue;
            }
            for (std::size_t drop = 0; drop < rule.conditions.size() && rule.conditions.size() > 1; ++drop) {
                Lem2Rule shorter = rule;
                shorter.conditions.erase(shorter.conditions.begin() + std::ptrdiff_t(drop));
                EXPECT_FALSE(certain(shorter)) << "round " << round;
            }
            EXPECT_EQ(rule.support, countObjects([&](std::uint32_t o) { return matches(rule, o); }));
            EXPECT_GT(countObjects([&](std::uint32_t o) { return matches(rule, o) && !caught(simple, o, &rule); }), 0u)
                << "round " << round;
        }
        for (std::uint32_t o = 0; o < objects; ++o) {
            EXPECT_EQ(caught(plain, o, nullptr), caught(simple, o, nullptr)) << "round " << round << " object " << o;
        }
    }
}

} // namespace
} // namespace kolven
