// Refining by several attributes at once against refining by one attribute at a time, on tables
// large enough for the sorting of big classes and for attributes whose codes do not all fit in one
// combined number.
#include "indiscernibility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace kolven {
namespace {

using Classes = std::vector<std::vector<std::uint32_t>>;

// The classes of a partition, each sorted, in sorted order.
Classes sortedClasses(const Partition& partition)
{
    Classes classes;
    for (std::uint32_t c = 0; c < partition.classCount(); ++c) {
        const auto members = partition.members(c);
        classes.emplace_back(members.begin(), members.end());
        std::sort(classes.back().begin(), classes.back().end());
    }
    std::sort(classes.begin(), classes.end());
    return classes;
}

TEST(Indiscernibility, RefiningByAllAttributesAtOnceEndsAsOneAtATime)
{
    std::mt19937 random(4242);
    // Value ranges: constant, few values, and many values (of which objects use a narrow band, so
    // that classes crowd into few sorting buckets); several of the last overflow one combined key.
    const std::uint32_t ranges[] = {1, 2, 3, 10, 300, 70000};
    for (int round = 0; round < 40; ++round) {
        const std::uint32_t objects = 1 + random() % 3000;
        const std::uint32_t attributes = 1 + random() % 7;
        std::vector<std::uint32_t> range(attributes);
        std::vector<std::uint32_t> band(attributes);
        for (std::uint32_t a = 0; a < attributes; ++a) {
            range[a] = ranges[random() % 6];
            band[a] = 1 + random() % range[a];
        }
        std::vector<float> matrix;
        for (std::uint32_t o = 0; o < objects; ++o) {
            for (std::uint32_t a = 0; a < attributes; ++a) {
                // One value far off keeps the attribute's value count at its range.
                matrix.push_back(float(o == 0 ? range[a] - 1 : random() % band[a]));
            }
            matrix.push_back(float(random() % (1 + round % 3)));
        }
        SystemDecyzyjny table;
        table.installValues(objects, attributes, std::move(matrix));
        const CodedTable coded(table, 1);
        std::vector<std::uint8_t> positive(objects);
        for (auto& flag : positive) {
            flag = random() % 4 == 0;
        }
        std::vector<std::uint32_t> on;
        for (std::uint32_t a = 0; a < attributes; ++a) {
            if (random() % 4 != 0) {
                on.push_back(a);
            }
        }
        std::shuffle(on.begin(), on.end(), random);
        for (const KeepClasses keep :
             {KeepClasses::All, KeepClasses::Several, KeepClasses::Inconsistent, KeepClasses::InconsistentWithPositive}) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", rule " << int(keep));
            Refiner refiner(coded);
            refiner.setPositive(&positive);
            std::vector<std::uint32_t> droppedOnce;
            std::vector<std::uint32_t> droppedInTurn;
            const auto dropInto = [](std::vector<std::uint32_t>& into) {
                return [&into](std::span<const std::uint32_t> group) { into.insert(into.end(), group.begin(), group.end()); };
            };
            Partition once;
            refiner.refineBy(Partition::whole(objects), on, once, keep, dropInto(droppedOnce));
            Partition inTurn = Partition::whole(objects);
            Partition next;
            for (std::uint32_t a : on) {
                refiner.refine(inTurn, a, next, keep, dropInto(droppedInTurn));
                std::swap(inTurn, next);
            }
            ASSERT_EQ(sortedClasses(once), sortedClasses(inTurn));
            std::sort(droppedOnce.begin(), droppedOnce.end());
            std::sort(droppedInTurn.begin(), droppedInTurn.end());
            ASSERT_EQ(droppedOnce, droppedInTurn);
        }
    }
}

} // namespace
} // namespace kolven
