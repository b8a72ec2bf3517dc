#include "ercim.h"
#include "lem2.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::afterTimeLine;

TEST(RuleText, BothBuildersNumberAttributesFromOneRoundValuesAndKeepLongLinesWhole)
{
    // Attributes in the order chosen; values rounded to three decimals; support shown unless 1.
    EXPECT_EQ(lem2RuleText({{{11, -0.5f}, {0, 2.0006f}, {4, -0.0005f}}, {-2.25f}, 123456}),
              " (a12=-0.500) & (a1=2.001) & (a5=-0.001) => (d=-2.250) [123456]");
    EXPECT_EQ(lem2RuleText({{{0, 1234567.0f}}, {1}, 1}), " (a1=1234567.000) => (d=1.000)");
    // Forty conditions on 3e38, whose texts have 43 characters: a line of some 2,200.
    const std::string large = "300000000549775575777803994281145270272.000";
    Lem2Rule rule{{}, {1, 2}, 3};
    std::vector<std::uint32_t> entry;
    std::string conditions;
    for (std::uint32_t a = 0; a < 40; ++a) {
        rule.conditions.push_back({a, 3e38f});
        entry.push_back(a);
        conditions += " (a" + std::to_string(a + 1) + "=" + large + ") " + (a < 39 ? "&" : "=>");
    }
    entry.push_back(7);
    ERCIM wide;
    wide.installValues(1, 40, std::vector<float>(41, 3e38f));
    EXPECT_EQ(lem2RuleText(rule), conditions + " (d=1.000) v (d=2.000) [3]");
    EXPECT_EQ(exhaustiveRuleLine(wide, 0, entry.data(), 40), conditions + " (d=" + large + ") [7]");
}

TEST(NamedRuleText, BuildersAndExportsUseNamesLabelsAndQuestionMarksOnlyWhenGiven)
{
    // outlook (nominal), temp (numeric), play (the nominal decision).
    const TableNames names{{{"outlook", true, {"sunny", "rainy"}}, {"temp", false, {}}, {"play", true, {"yes", "no"}}}};
    ERCIM table;
    table.installValues(2, 2, {-1, 2.5f, 1, 5, 0, 0});
    const std::uint32_t both[] = {0, 1, 3};
    const std::uint32_t first[] = {0, 1};
    EXPECT_EQ(exhaustiveRuleLine(table, 0, both, 2, &names), " (outlook=?) & (temp=2.500) => (play=no) [3]");
    EXPECT_EQ(exhaustiveRuleLine(table, 0, both, 2), " (a1=-1.000) & (a2=2.500) => (d=1.000) [3]");
    EXPECT_EQ(exhaustiveRuleLine(table, 1, first, 1, &names), " (outlook=5.000) => (play=yes)")
        << "a value typed into the grid that names no label is shown as a number";

    const Lem2Rule chain{{{0, 0}, {1, 7}}, {1, 0}, 2};
    EXPECT_EQ(lem2RuleText(chain, &names), " (outlook=sunny) & (temp=7.000) => (play=no) v (play=yes) [2]");
    EXPECT_EQ(lem2RuleText(chain), " (a1=0.000) & (a2=7.000) => (d=1.000) v (d=0.000) [2]");

    LEM2v1 lem2;
    lem2.installValues(2, 2, {0, 1, 0, 1, 1, 1});
    ASSERT_TRUE(lem2.runLem2());
    table.copyFrom(lem2);
    table.computeRules();
    const std::string rules = " (outlook=sunny) => (play=yes)\r\n (outlook=rainy) => (play=no)\r\n";
    EXPECT_EQ(afterTimeLine(lem2ExportText(lem2, &names)), rules);
    EXPECT_EQ(afterTimeLine(exhaustiveExportText(table, &names)), "Rzad: 1\r\n" + rules);
}

} // namespace
} // namespace kolven
