// Refining by several attributes at once against refining by one attribute at a time, on tables
// large enough for the sorting of big classes, for leaving lone objects out of large splits, and for
// attributes whose codes do not all fit in one combined number.
#include "indiscernibility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace kolven {
namespace {

// The classes of a partition, each sorted, in sorted order.
std::vector<std::vector<std::uint32_t>> sortedClasses(const Partition& partition)
{
    std::vector<std::vector<std::uint32_t>> classes;
    for (std::uint32_t c = 0; c < partition.classCount(); ++c) {
        classes.emplace_back(partition.members(c).begin(), partition.members(c).end());
        std::sort(classes.back().begin(), classes.back().end());
    }
    std::sort(classes.begin(), classes.end());
    return classes;
}

// The refinement by every attribute at once against the refinement one attribute at a time:
// equal classes and equal objects dropped.
void expectSameRefinement(const SystemDecyzyjny& table, const std::vector<std::uint32_t>& on,
                          const std::vector<std::uint8_t>& positive)
{
    const CodedTable coded(table, 1);
    for (const KeepClasses keep :
         {KeepClasses::All, KeepClasses::Several, KeepClasses::Inconsistent, KeepClasses::InconsistentWithPositive}) {
        SCOPED_TRACE(testing::Message() << "rule " << int(keep));
        Refiner refiner(coded);
        refiner.setPositive(&positive);
        std::vector<std::uint32_t> droppedOnce;
        std::vector<std::uint32_t> droppedInTurn;
        const auto dropInto = [](std::vector<std::uint32_t>& into) {
            return [&into](std::span<const std::uint32_t> group) { into.insert(into.end(), group.begin(), group.end()); };
        };
        Partition once;
        refiner.refineBy(Partition::whole(table.objectCount), on, once, keep, dropInto(droppedOnce));
        Partition inTurn = Partition::whole(table.objectCount);
        Partition next;
        for (std::uint32_t a : on) {
            refiner.refine(inTurn, a, next, keep, dropInto(droppedInTurn));
            std::swap(inTurn, next);
        }
        ASSERT_EQ(sortedClasses(once), sortedClasses(inTurn));
        // Nobody watching what is dropped: lone objects may be left out before any sorting.
        Partition unwatched;
        refiner.refineBy(Partition::whole(table.objectCount), on, unwatched, keep);
        ASSERT_EQ(sortedClasses(unwatched), sortedClasses(inTurn));
        std::sort(droppedOnce.begin(), droppedOnce.end());
        std::sort(droppedInTurn.begin(), droppedInTurn.end());
        ASSERT_EQ(droppedOnce, droppedInTurn);
    }
}

TEST(Indiscernibility, RefiningByAllAttributesAtOnceEndsAsOneAtATime)
{
    std::mt19937 random(4242);
    // Most objects take one of a few values, the others spread over many (so that big classes
    // crowd into few sorting buckets); attributes of many values overflow one combined key.
    const std::uint32_t ranges[] = {1, 2, 3, 10, 300, 70000};
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const std::uint32_t objects = 1 + random() % (round % 4 == 0 ? 20000 : 3000);
        const std::uint32_t attributes = 1 + random() % 7;
        std::vector<std::uint32_t> range(attributes);
        std::generate(range.begin(), range.end(), [&] { return ranges[random() % 6]; });
        std::vector<float> matrix;
        for (std::uint32_t o = 0; o < objects; ++o) {
            for (std::uint32_t a = 0; a < attributes; ++a) {
                matrix.push_back(float(random() % (random() % 8 == 0 ? range[a] : std::min(range[a], 4u))));
            }
            matrix.push_back(float(random() % (1 + round % 3)));
        }
        SystemDecyzyjny table;
        table.installValues(objects, attributes, std::move(matrix));
        std::vector<std::uint8_t> positive(objects);
        std::generate(positive.begin(), positive.end(), [&] { return random() % 4 == 0; });
        std::vector<std::uint32_t> on;
        for (std::uint32_t a = 0; a < attributes; ++a) {
            if (random() % 4 != 0) {
                on.push_back(a);
            }
        }
        std::shuffle(on.begin(), on.end(), random);
        expectSameRefinement(table, on, positive);
    }
    // 65,536 and 65,537 values: combined in 32 bits, codes (65535, 1) would wrap onto (0, 0).
    std::vector<float> matrix;
    for (std::uint32_t o = 0; o <= 65538; ++o) {
        const bool wrapping = o == 65538;
        matrix.insert(matrix.end(), {float(wrapping ? 65535 : o % 65536), float(wrapping ? 1 : o % 65537), float(wrapping)});
    }
    SystemDecyzyjny table;
    table.installValues(65539, 2, std::move(matrix));
    expectSameRefinement(table, {0, 1}, std::vector<std::uint8_t>(65539, 1));
}

// Codes are the ranks of a column's values by exact float equality (-0 equal to 0), whether a
// value is a small whole number or anything else, and the narrowed copy keeps the codes it was
// asked for.
TEST(Indiscernibility, CodesAreTheRanksOfTheValues)
{
    const float pool[] = {0.0f, -0.0f, 1.0f, 2.0f, 2.5f, 1023.0f, 1023.5f, 1024.0f, -1.0f, -2.5f, 0.25f, 1e9f, 7e-30f, 65536.0f};
    std::mt19937 random(77);
    const std::uint32_t objects = 5000;
    std::vector<float> matrix;
    for (std::uint32_t o = 0; o < objects; ++o) {
        for (int column = 0; column < 3; ++column) {
            matrix.push_back(pool[random() % std::size(pool)]);
        }
    }
    SystemDecyzyjny table;
    table.installValues(objects, 2, std::vector<float>(matrix));
    const CodedTable coded(table, 2);
    std::vector<std::uint32_t> some;
    for (std::uint32_t o = 0; o < objects; o += 1 + random() % 3) {
        some.push_back(objects - 1 - o);
    }
    std::vector<std::uint32_t> all(objects);
    std::iota(all.begin(), all.end(), 0u);
    CodedTable narrowed(coded, all, {1, 1});
    narrowed.narrow(some, {0, 1});
    for (std::uint32_t a = 0; a < 2; ++a) {
        std::vector<float> values;
        for (std::uint32_t o = 0; o < objects; ++o) {
            values.push_back(matrix[o * 3 + a] == 0.0f ? 0.0f : matrix[o * 3 + a]);
        }
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        ASSERT_EQ(coded.valueCount(a), values.size());
        for (std::uint32_t o = 0; o < objects; ++o) {
            const auto rank = std::lower_bound(values.begin(), values.end(), matrix[o * 3 + a]) - values.begin();
            ASSERT_EQ(coded.code(o, a), std::uint32_t(rank)) << "object " << o << ", attribute " << a;
        }
    }
    for (std::uint32_t i = 0; i < some.size(); ++i) {
        ASSERT_EQ(narrowed.code(i, 1), coded.code(some[i], 1));
        ASSERT_EQ(narrowed.decisionClass(i), coded.decisionClass(some[i]));
    }
}

} // namespace
} // namespace kolven
