#include "ercim.h"
#include "lem2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

// outlook (nominal), temp (numeric), play (the nominal decision).
TableNames weatherNames()
{
    return {{{"outlook", true, {"sunny", "rainy"}}, {"temp", false, {}}, {"play", true, {"yes", "no"}}}};
}

TEST(NamedRuleText, BothBuildersUseNamesLabelsAndQuestionMarksOnlyWhenGiven)
{
    const TableNames names = weatherNames();
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
    EXPECT_EQ(lem2RuleText({{{0, 1}}, {0}, 1}, &names), " (outlook=rainy) => (play=yes)");
}

TEST(NamedRuleText, ExportsAndListingsCarryTheNames)
{
    const TableNames names = weatherNames();
    LEM2v1 lem2;
    lem2.installValues(2, 2, {0, 1, 0, 1, 1, 1});
    ASSERT_TRUE(lem2.runLem2());
    const std::string text = lem2ExportText(lem2, &names);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2), " (outlook=sunny) => (play=yes)\r\n (outlook=rainy) => (play=no)\r\n");

    ERCIM ercim;
    ercim.installValues(2, 2, {0, 1, 0, 1, 1, 1});
    ercim.computeRules();
    const std::string rules = exhaustiveExportText(ercim, &names);
    EXPECT_EQ(rules.substr(rules.find("\r\n") + 2), "Rzad: 1\r\n (outlook=sunny) => (play=yes)\r\n (outlook=rainy) => (play=no)\r\n");
}

} // namespace
} // namespace kolven
