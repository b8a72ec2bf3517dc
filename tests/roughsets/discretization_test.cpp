#include "discretization.h"

#include "counting_progress.h"
#include "table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace kolven {
namespace {

using testing::Rows;
using testing::tableOf;

SystemDecyzyjny randomTable(std::mt19937& random, std::uint32_t objects, std::uint32_t attributes, int values,
                            int classes)
{
    Rows rows(objects);
    for (auto& row : rows) {
        for (std::uint32_t a = 0; a <= attributes; ++a) {
            row.push_back(float(int(random() % (a < attributes ? values : classes))) / (a < attributes ? 4.0f : 1.0f));
        }
    }
    return tableOf(attributes, rows);
}

// Pairs with two decisions that no uncut attribute value and no code of a cut attribute tells apart.
std::uint64_t unseparatedPairs(const SystemDecyzyjny& table, const Discretization& cuts)
{
    std::uint64_t pairs = 0;
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        for (std::uint32_t y = x + 1; y < table.objectCount; ++y) {
            bool same = table.decision(x) != table.decision(y);
            for (std::uint32_t a = 0; same && a < table.attributeCount; ++a) {
                const auto vx = table.value(x, a);
                const auto vy = table.value(y, a);
                same = cuts.isCut[a] ? std::count_if(cuts.cuts[a].begin(), cuts.cuts[a].end(), [&](double c) { return c < vx; }) ==
                                           std::count_if(cuts.cuts[a].begin(), cuts.cuts[a].end(), [&](double c) { return c < vy; })
                                     : vx == vy;
            }
            pairs += same ? 1 : 0;
        }
    }
    return pairs;
}

// The greedy search as defined, each step counting the pairs every candidate separates directly.
Discretization referenceMd(const SystemDecyzyjny& table, const std::vector<bool>& cut)
{
    Discretization made{cut, std::vector<std::vector<double>>(cut.size())};
    for (std::uint64_t left = unseparatedPairs(table, made); left > 0;) {
        std::uint64_t best = 0;
        std::uint32_t bestAttribute = 0;
        double bestCut = 0;
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            for (double c : cut[a] ? candidateCuts(table, a) : std::vector<double>()) {
                Discretization tried = made;
                tried.cuts[a].push_back(c);
                std::sort(tried.cuts[a].begin(), tried.cuts[a].end());
                const std::uint64_t separated = left - unseparatedPairs(table, tried);
                if (separated > best) {
                    best = separated, bestAttribute = a, bestCut = c;
                }
            }
        }
        if (best == 0) {
            break;
        }
        made.cuts[bestAttribute].push_back(bestCut);
        std::sort(made.cuts[bestAttribute].begin(), made.cuts[bestAttribute].end());
        left -= best;
    }
    return made;
}

TEST(Discretization, MaximalDiscernibilityAgreesWithTheDirectCountAndKeepsEveryDiscernedPair)
{
    std::mt19937 random(7);
    for (int round = 0; round < 150; ++round) {
        const std::uint32_t attributes = 1 + random() % 4;
        const SystemDecyzyjny table = randomTable(random, 2 + random() % 30, attributes, 2 + random() % 9, 2 + random() % 3);
        std::vector<bool> cut(attributes);
        for (std::uint32_t a = 0; a < attributes; ++a) {
            cut[a] = round % 3 != 0 || random() % 2 == 0;
        }
        const auto found = maximalDiscernibilityCuts(table, cut, noProgress());
        ASSERT_TRUE(found);
        ASSERT_EQ(*found, referenceMd(table, cut)) << "round " << round;
        Discretization none{cut, std::vector<std::vector<double>>(attributes)};
        for (std::uint32_t a = 0; a < attributes; ++a) {
            none.isCut[a] = false;
        }
        EXPECT_EQ(unseparatedPairs(table, *found), unseparatedPairs(table, none));
    }
}

TEST(Discretization, CodesCountTheCutsBelowTheValueAndEqualWidthFollowsItsFormula)
{
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        const SystemDecyzyjny table = randomTable(random, 1 + random() % 20, 3, 1 + random() % 12, 3);
        const std::uint32_t k = 2 + random() % 6;
        const Discretization width = equalWidthCuts(table, {true, false, true}, k);
        SystemDecyzyjny coded;
        TableNames names;
        width.apply(table, nullptr, coded, names);
        for (std::uint32_t a = 0; a < 3; ++a) {
            double low = 1e30, high = -1e30;
            for (std::uint32_t o = 0; o < table.objectCount; ++o) {
                low = std::min(low, double(table.value(o, a)));
                high = std::max(high, double(table.value(o, a)));
            }
            std::vector<double> expected;
            for (std::uint32_t i = 1; a != 1 && high > low && i < k; ++i) {
                expected.push_back(low + i * ((high - low) / k));
            }
            ASSERT_EQ(width.cuts[a], expected);
            ASSERT_EQ(names.columns[a].labels.size(), a == 1 ? 0 : expected.size() + 1);
            for (std::uint32_t o = 0; o < table.objectCount; ++o) {
                const auto below = std::count_if(expected.begin(), expected.end(),
                                                 [&](double c) { return c < double(table.value(o, a)); });
                ASSERT_EQ(coded.value(o, a), a == 1 ? table.value(o, a) : float(below));
            }
        }
        EXPECT_EQ(names.columns[1].name, "a2");
        EXPECT_EQ(names.columns[3].name, "d");
    }
    EXPECT_EQ(intervalCode({1.5, 2.5}, 2.5f), 1u); // a value on a cut lies in the lower interval
}

std::vector<double> entropyOf(std::uint32_t attributes, const Rows& rows)
{
    return entropyCuts(tableOf(attributes, rows), {true}, noProgress())->cuts[0];
}

TEST(Discretization, EntropyCutsFollowTheDescriptionLengthRule)
{
    // Ent 1, E 0 at 2.5: gain 1 > (log2 3 + log2 7 - 2) / 4 = 0.598.
    EXPECT_EQ(entropyOf(1, {{1, 0}, {2, 0}, {3, 1}, {4, 1}}), std::vector<double>{2.5});
    // Best E 2/3 at 1.5 (2.5 ties, the lower kept): gain 0.252 < (1 + 2.971) / 3.
    EXPECT_EQ(entropyOf(1, {{1, 0}, {2, 1}, {3, 0}}), std::vector<double>{});
    EXPECT_EQ(entropyOf(1, {{1, 1}, {2, 1}, {3, 1}}), std::vector<double>{});
    // Ent 0.650 = gain at 1.5; Delta = log2 7 - 2 * 0.650, so the bound is 0.638 (with 3^k - 1 it
    // would be 0.670, and no cut).
    EXPECT_EQ(entropyOf(1, {{1, 1}, {2, 0}, {3, 0}, {3, 0}, {3, 0}, {4, 0}}), std::vector<double>{1.5});
    // 2.5 and 3.5 leave the same two class mixtures (1 of 5 and 2 of 6 apart), so E ties exactly;
    // 2.5 is kept, and nothing is cut after it (3.5 first would be the only cut too).
    EXPECT_EQ(entropyOf(1, {{1, 1}, {1, 2}, {1, 2}, {2, 2}, {2, 2}, {3, 1}, {4, 0}, {4, 0}, {4, 0}, {4, 1}, {5, 0}}),
              std::vector<double>{2.5});
    // Values 1..6 ten times each, classes 0 0 1 1 2 2 by value: 2.5 and 4.5 tie on the whole
    // set (E 2/3 log2 2 ... both 0.667 bits), the lower taken first; then 4.5 on its upper part.
    Rows rows;
    for (int copy = 0; copy < 10; ++copy) {
        for (int v = 1; v <= 6; ++v) {
            rows.push_back({float(v), float((v - 1) / 2)});
        }
    }
    EXPECT_EQ(entropyOf(1, rows), (std::vector<double>{2.5, 4.5}));
}

// Neighbouring floats whose halfway point in float arithmetic is the upper one: each search cuts
// between them in double, so the two objects keep different codes.
TEST(Discretization, CutsBetweenNeighbouringFloatsLieStrictlyBetweenThem)
{
    const float lower = 1.0f + 0x1p-23f;
    const float upper = 1.0f + 0x1p-22f;
    const double between = (double(lower) + double(upper)) / 2;
    const SystemDecyzyjny table = tableOf(1, {{lower, 0}, {upper, 1}, {lower, 0}, {upper, 1}});
    // A cut that parts nothing would keep the MD search from ever ending: stop here first.
    ASSERT_EQ(candidateCuts(table, 0), std::vector<double>{between});
    for (const char* method : {"md", "entropy"}) {
        const auto fitted = fitDiscretization(table, {true}, *parseDiscretizationMethod(method));
        ASSERT_TRUE(fitted) << method;
        EXPECT_EQ(fitted->cuts[0], std::vector<double>{between}) << method;
        EXPECT_EQ(intervalCode(fitted->cuts[0], upper), 1u) << method;
    }
}

TEST(Discretization, LabelsPrintCutsShortlyButKeepThemApart)
{
    EXPECT_EQ(intervalLabels({}), std::vector<std::string>{"(-inf;inf)"});
    EXPECT_EQ(intervalLabels({2.45, 4.95}), (std::vector<std::string>{"(-inf;2.45]", "(2.45;4.95]", "(4.95;inf)"}));
    EXPECT_EQ(cutTexts({1.0000001, 1.0000002, 3}), (std::vector<std::string>{"1.0000001", "1.0000002", "3"}));
    EXPECT_EQ(parseDiscretizationMethod("width:7"), (DiscretizationMethod{CutMethod::EqualWidth, 7}));
    EXPECT_EQ(parseDiscretizationMethod("width:10000"), (DiscretizationMethod{CutMethod::EqualWidth, 10000}));
    for (const char* bad : {"width:1", "width:10001", "width:4294967296", "width:", "width:3x", "mdl", ""}) {
        EXPECT_FALSE(parseDiscretizationMethod(bad)) << bad;
    }
}

// Both searches report how far they are and stop, returning nothing, when asked to.
TEST(Discretization, SearchesReportProgressAndStopWhenCancelled)
{
    std::mt19937 random(11);
    const SystemDecyzyjny table = randomTable(random, 200, 3, 40, 3);
    for (auto search : {maximalDiscernibilityCuts, entropyCuts}) {
        testing::CountingProgress watched;
        ASSERT_TRUE(search(table, {true, true, true}, watched));
        EXPECT_GT(watched.reports, 0u);
        testing::CountingProgress stopped(1);
        EXPECT_FALSE(search(table, {true, true, true}, stopped));
    }
}

// The searches give the same cuts on one thread as on several (MD shares its attributes out only
// past 20,000 objects times attributes, which this table passes).
TEST(Discretization, SearchesGiveTheSameCutsOnAnyNumberOfThreads)
{
    std::mt19937 random(12);
    const SystemDecyzyjny table = randomTable(random, 6000, 5, 400, 3);
    const std::vector<bool> all(5, true);
    for (const CutMethod method : {CutMethod::MaximalDiscernibility, CutMethod::Entropy}) {
        const auto one = fitDiscretization(table, all, {method, 5}, noProgress(), 1);
        const auto three = fitDiscretization(table, all, {method, 5}, noProgress(), 3);
        ASSERT_TRUE(one && three);
        EXPECT_EQ(one->cuts, three->cuts);
    }
}

} // namespace
} // namespace kolven
