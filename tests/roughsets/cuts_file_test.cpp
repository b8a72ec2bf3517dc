#include "cuts_file.h"

#include <gtest/gtest.h>

#include <random>

namespace kolven {
namespace {

TEST(CutsFile, ReadsBackEveryCutExactlyAndRefusesWhatDoesNotFit)
{
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> draw(-1e6, 1e6);
    Discretization cuts{{true, false, true}, {{}, {}, {}}};
    for (int i = 0; i < 200; ++i) {
        cuts.cuts[2].push_back(draw(random));
    }
    std::sort(cuts.cuts[2].begin(), cuts.cuts[2].end());
    std::string why;
    EXPECT_EQ(parseCutsFile(cutsFileText(cuts), why), cuts);
    EXPECT_EQ(cutsFileText(cuts).substr(0, 17), "atrybuty 3\r\na1:\r\n");
    for (const char* bad : {"", "atrybuty x\n", "atrybuty 2\na3: 1\n", "atrybuty 2\na1: 1\na1: 2\n",
                            "atrybuty 2\na1: 2 1\n", "atrybuty 2\na1: 1x\n", "atrybuty 2\na1: inf\n", "atrybuty 2\nb\n"}) {
        EXPECT_FALSE(parseCutsFile(bad, why)) << bad;
    }
    SystemDecyzyjny table;
    table.installValues(1, 2, {1, 2, 0});
    EXPECT_FALSE(cutsFitTable(cuts, table, nullptr, why));
    TableNames names{{{"x", false, {}}, {"y", true, {"u"}}, {"d", true, {"p"}}}};
    EXPECT_FALSE(cutsFitTable({{false, true}, {{}, {}}}, table, &names, why));
    EXPECT_TRUE(cutsFitTable({{true, false}, {{}, {}}}, table, &names, why));
}

} // namespace
} // namespace kolven
