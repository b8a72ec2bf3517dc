// The approximations against a direct count over pairs of objects, on random tables and random
// attribute sets.
#include "approximations.h"
#include "random_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <random>
#include <set>
#include <vector>

namespace kolven {
namespace {

TEST(Approximations, AgreeWithADirectCountOnRandomTables)
{
    std::mt19937 random(1221);
    for (int round = 0; round < 400; ++round) {
        const auto attributes = std::uint32_t(random() % 6);
        std::vector<std::uint32_t> all(attributes);
        std::iota(all.begin(), all.end(), 0u);
        const SystemDecyzyjny table = testing::randomRoughTable(random, attributes, all);
        std::vector<std::uint32_t> on;
        for (std::uint32_t a : all) {
            if (random() % 3 != 0) {
                on.push_back(a);
            }
        }
        Approximations result;
        ASSERT_TRUE(computeApproximations(table, on, result, noProgress(), 1 + round % 2));
        SCOPED_TRACE(round);

        std::set<float> decisions;
        std::uint32_t classes = 0;
        for (std::uint32_t x = 0; x < table.objectCount; ++x) {
            decisions.insert(table.decision(x));
            bool first = true;
            for (std::uint32_t y = 0; y < x; ++y) {
                first = first && !testing::sameOn(table, x, y, on);
            }
            classes += first;
        }
        EXPECT_EQ(result.attributes, on);
        EXPECT_EQ(result.indiscernibilityClasses, classes);
        EXPECT_EQ(result.objects, table.objectCount);
        ASSERT_EQ(result.classes.size(), decisions.size());
        std::uint32_t positive = 0;
        std::size_t c = 0;
        for (float decision : decisions) {
            std::uint32_t objects = 0;
            std::uint32_t lower = 0;
            std::uint32_t upper = 0;
            for (std::uint32_t x = 0; x < table.objectCount; ++x) {
                bool inside = true;
                bool meets = false;
                for (std::uint32_t y = 0; y < table.objectCount; ++y) {
                    if (testing::sameOn(table, x, y, on)) {
                        inside = inside && table.decision(y) == decision;
                        meets = meets || table.decision(y) == decision;
                    }
                }
                objects += table.decision(x) == decision;
                lower += inside;
                upper += meets;
            }
            const ClassApproximation& found = result.classes[c++];
            EXPECT_EQ(found.decision, decision);
            EXPECT_EQ(found.objects, objects);
            EXPECT_EQ(found.lower, lower);
            EXPECT_EQ(found.upper, upper);
            EXPECT_EQ(found.accuracy, float(lower) / float(upper));
            positive += lower;
        }
        EXPECT_EQ(result.positiveRegion, positive);
        EXPECT_EQ(result.quality, float(positive) / float(table.objectCount));
    }
}

} // namespace
} // namespace kolven
