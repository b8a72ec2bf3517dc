#include "generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <set>
#include <vector>

namespace kolven {
namespace {

TEST(Generator, DrawsWholeNumbersFromTheTruncatedRangeInTheSeedsKnownSequence)
{
    LinearCongruential source;
    source.seed(0);
    EXPECT_EQ(source.next(), 38u);
    RandomSystemGenerator generator;
    SystemDecyzyjny table;
    generator.generate(table, 2, 2, 0.0f, 99.0f, 1u);
    EXPECT_EQ(table.objectCount, 2u);
    EXPECT_EQ(table.attributeCount, 2u);
    // The seed-1 sequence 41, 18467, 6334, 26500, 19169, 15724 modulo 100, in matrix order.
    EXPECT_EQ(table.values, (std::vector<float>{41, 67, 34, 0, 69, 24}));

    struct Case {
        std::uint32_t objects;
        float minimum;
        float maximum;
        std::set<float> values;
    };
    for (const Case& c : {Case{200, 0.0f, 1.0f, {0, 1}}, Case{50, 5.0f, 5.0f, {5}},
                          Case{300, -2.7f, 3.9f, {-2, -1, 0, 1, 2, 3}}, Case{20, 0.5f, 0.9f, {0}}}) {
        generator.generate(table, c.objects, 2, c.minimum, c.maximum, 7u);
        EXPECT_EQ(std::set<float>(table.values.begin(), table.values.end()), c.values) << c.minimum;
    }
    // A range wider than the source keeps its lower part.
    generator.generate(table, 2000, 4, -100.0f, 100000.0f, 3u);
    EXPECT_GE(*std::min_element(table.values.begin(), table.values.end()), -100.0f);
    EXPECT_LE(*std::max_element(table.values.begin(), table.values.end()), -100.0f + 32767.0f);
}

TEST(Generator, TwoGenerationsInOneSecondGetDifferentSeeds)
{
    std::vector<std::uint32_t> clock{1000, 1000, 1000, 1001};
    std::size_t reads = 0;
    RandomSystemGenerator generator([&] { return clock[std::min(reads++, clock.size() - 1)]; });
    SystemDecyzyjny table;
    generator.generate(table, 1, 1, 0.0f, 9.0f);
    EXPECT_EQ(generator.lastSeed(), 1000u);
    generator.generate(table, 1, 1, 0.0f, 9.0f);
    EXPECT_EQ(generator.lastSeed(), 1001u);
    EXPECT_EQ(reads, 4u) << "the second generation waited for the next second";
}

TEST(Generator, RefusesParametersItCannotServe)
{
    EXPECT_EQ(checkGeneratorParameters(0, 0.0f, 1.0f), GeneratorRefusal::NoObjects);
    EXPECT_EQ(checkGeneratorParameters(3, 5.0f, 4.0f), GeneratorRefusal::EmptyRange);
    EXPECT_EQ(checkGeneratorParameters(3, 2.9f, 2.1f), std::nullopt) << "trunc(2.9) = trunc(2.1) = 2";
    EXPECT_EQ(checkGeneratorParameters(3, 0.0f, 2147483648.0f), GeneratorRefusal::RangeOutOfBounds);
    EXPECT_EQ(checkGeneratorParameters(3, -2147483648.0f, 0.0f), std::nullopt);

    // A table too large for memory leaves the target as it was.
    RandomSystemGenerator generator;
    SystemDecyzyjny table;
    table.installValues(1, 0, {4});
    EXPECT_THROW(generator.generate(table, 2147483647u, 2147483647u, 0.0f, 1.0f, 1u), std::bad_alloc);
    EXPECT_EQ(table.values, std::vector<float>{4});
}

} // namespace
} // namespace kolven
