#include "generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <set>
#include <vector>

namespace kolven {
namespace {

std::set<float> distinct(const SystemDecyzyjny& table)
{
    return {table.values.begin(), table.values.end()};
}

TEST(LinearCongruential, GivesTheKnownSequenceForASeed)
{
    LinearCongruential source;
    source.seed(1);
    EXPECT_EQ(source.next(), 41u);
    EXPECT_EQ(source.next(), 18467u);
    EXPECT_EQ(source.next(), 6334u);
    source.seed(0);
    EXPECT_EQ(source.next(), 38u);
}

TEST(Generator, AFixedSeedGivesAFixedMatrixInMatrixOrder)
{
    RandomSystemGenerator generator;
    SystemDecyzyjny table;
    generator.generate(table, 2, 2, 0.0f, 99.0f, 1u);
    EXPECT_EQ(table.objectCount, 2u);
    EXPECT_EQ(table.attributeCount, 2u);
    // 41, 18467, 6334, 26500, 19169, 15724 modulo 100.
    EXPECT_EQ(table.values, (std::vector<float>{41, 67, 34, 0, 69, 24}));
}

TEST(Generator, DrawsWholeNumbersFromTheTruncatedRange)
{
    RandomSystemGenerator generator;
    SystemDecyzyjny table;
    generator.generate(table, 200, 3, 0.0f, 1.0f, 7u);
    EXPECT_EQ(distinct(table), (std::set<float>{0, 1}));
    generator.generate(table, 50, 2, 5.0f, 5.0f, 7u);
    EXPECT_EQ(distinct(table), (std::set<float>{5}));
    generator.generate(table, 300, 3, -2.7f, 3.9f, 7u);
    EXPECT_EQ(distinct(table), (std::set<float>{-2, -1, 0, 1, 2, 3}));
    generator.generate(table, 20, 2, 0.5f, 0.9f, 7u);
    EXPECT_EQ(distinct(table), (std::set<float>{0}));
}

TEST(Generator, ARangeWiderThanTheSourceKeepsItsLowerPart)
{
    RandomSystemGenerator generator;
    SystemDecyzyjny table;
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
    EXPECT_EQ(checkGeneratorParameters(3, -2.7f, -2.1f), std::nullopt) << "trunc(-2.7) = trunc(-2.1) = -2";
    EXPECT_EQ(checkGeneratorParameters(3, 0.0f, 3e9f), GeneratorRefusal::RangeOutOfBounds);
    EXPECT_EQ(checkGeneratorParameters(3, 0.0f, 2147483648.0f), GeneratorRefusal::RangeOutOfBounds);
    EXPECT_EQ(checkGeneratorParameters(3, -2147483648.0f, 0.0f), std::nullopt);
    EXPECT_FALSE(refusalMessage(GeneratorRefusal::EmptyRange).empty());
}

TEST(Generator, ATableTooLargeForItsCountsLeavesTheTargetAsItWas)
{
    RandomSystemGenerator generator;
    SystemDecyzyjny table;
    table.installValues(1, 0, {4});
    EXPECT_THROW(generator.generate(table, 2147483647u, 2147483647u, 0.0f, 1.0f, 1u), std::bad_alloc);
    EXPECT_EQ(table.values, std::vector<float>{4});
}

} // namespace
} // namespace kolven
