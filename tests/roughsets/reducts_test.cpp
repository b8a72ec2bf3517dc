// All reducts against a search over every subset of attributes, the core against its definition
// and the intersection of the reducts, Johnson's and the greedy reduct against their definitions
// written out over pairs of objects; and runs that stop or run out of memory and change nothing.
#include "counting_progress.h"
#include "failing_allocation.h"
#include "random_tables.h"
#include "reducts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <numeric>
#include <optional>
#include <random>
#include <vector>

namespace kolven {
namespace {

using Attributes = std::vector<std::uint32_t>;
using testing::directPositiveRegion;

Attributes without(const Attributes& set, std::uint32_t attribute)
{
    Attributes rest;
    std::copy_if(set.begin(), set.end(), std::back_inserter(rest), [&](std::uint32_t a) { return a != attribute; });
    return rest;
}

std::uint32_t sizeOf(const std::vector<bool>& region)
{
    return std::uint32_t(std::count(region.begin(), region.end(), true));
}

struct Definitions {
    std::vector<Attributes> reducts;
    Attributes core;
    Attributes johnson;
    Attributes greedy;
};

Definitions fromDefinitions(const SystemDecyzyjny& table, const Attributes& varying)
{
    Attributes all(table.attributeCount);
    std::iota(all.begin(), all.end(), 0u);
    const std::vector<bool> positive = directPositiveRegion(table, all);
    const auto keeps = [&](const Attributes& on) { return directPositiveRegion(table, on) == positive; };
    Definitions d;
    // A constant attribute is in no reduct, so subsets of the varying ones are enough.
    for (std::uint32_t mask = 0; mask < (1u << varying.size()); ++mask) {
        Attributes on;
        for (std::size_t i = 0; i < varying.size(); ++i) {
            if ((mask >> i) & 1) {
                on.push_back(varying[i]);
            }
        }
        std::sort(on.begin(), on.end());
        if (keeps(on) && std::none_of(on.begin(), on.end(), [&](std::uint32_t a) { return keeps(without(on, a)); })) {
            d.reducts.push_back(on);
        }
    }
    std::sort(d.reducts.begin(), d.reducts.end(),
              [](const Attributes& a, const Attributes& b) { return a.size() != b.size() ? a.size() < b.size() : a < b; });
    for (std::uint32_t a : all) {
        if (!keeps(without(all, a))) {
            d.core.push_back(a);
        }
    }
    // Johnson's: the pairs one by one, each with the attributes that discern it.
    std::vector<std::vector<bool>> pairs;
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        for (std::uint32_t y = x + 1; y < table.objectCount; ++y) {
            if (table.decision(x) != table.decision(y) && (positive[x] || positive[y])) {
                std::vector<bool> discerning(table.attributeCount);
                for (std::uint32_t a : all) {
                    discerning[a] = !(table.value(x, a) == table.value(y, a));
                }
                pairs.push_back(discerning);
            }
        }
    }
    std::vector<bool> done(pairs.size(), false);
    while (std::count(done.begin(), done.end(), false) > 0) {
        std::uint32_t best = 0;
        std::size_t bestCount = 0;
        for (std::uint32_t a : all) {
            std::size_t count = 0;
            for (std::size_t p = 0; p < pairs.size(); ++p) {
                count += !done[p] && pairs[p][a];
            }
            if (count > bestCount) {
                best = a;
                bestCount = count;
            }
        }
        d.johnson.push_back(best);
        for (std::size_t p = 0; p < pairs.size(); ++p) {
            done[p] = done[p] || pairs[p][best];
        }
    }
    for (std::uint32_t a : Attributes(d.johnson)) {
        const Attributes rest = without(d.johnson, a);
        if (std::all_of(pairs.begin(), pairs.end(), [&](const std::vector<bool>& pair) {
                return std::any_of(rest.begin(), rest.end(), [&](std::uint32_t b) { return pair[b]; });
            })) {
            d.johnson = rest;
        }
    }
    std::sort(d.johnson.begin(), d.johnson.end());
    // The greedy reduct by the sizes of positive regions.
    while (sizeOf(directPositiveRegion(table, d.greedy)) < sizeOf(positive)) {
        std::optional<std::uint32_t> best;
        std::uint32_t bestSize = 0;
        for (std::uint32_t a : all) {
            Attributes more = d.greedy;
            more.push_back(a);
            const std::uint32_t size = sizeOf(directPositiveRegion(table, more));
            if (std::find(d.greedy.begin(), d.greedy.end(), a) == d.greedy.end() && (!best || size > bestSize)) {
                best = a;
                bestSize = size;
            }
        }
        d.greedy.push_back(*best);
    }
    for (std::uint32_t a : Attributes(d.greedy)) {
        if (sizeOf(directPositiveRegion(table, without(d.greedy, a))) == sizeOf(positive)) {
            d.greedy = without(d.greedy, a);
        }
    }
    std::sort(d.greedy.begin(), d.greedy.end());
    return d;
}

// Tables of 0 to 6 attributes, and of 70 (two words of attribute bits) of which 5 vary.
TEST(Reducts, AgreeWithTheirDefinitionsOnRandomTables)
{
    std::mt19937 random(2126);
    for (int round = 0; round < 600; ++round) {
        const bool wide = round % 5 == 4;
        const std::uint32_t attributes = wide ? 70 : std::uint32_t(random() % 7);
        Attributes varying;
        while (varying.size() < (wide ? 5u : attributes)) {
            const std::uint32_t a = wide ? std::uint32_t(random() % 70) : std::uint32_t(varying.size());
            if (std::find(varying.begin(), varying.end(), a) == varying.end()) {
                varying.push_back(a);
            }
        }
        const SystemDecyzyjny table = testing::randomRoughTable(random, attributes, varying);
        const Definitions expected = fromDefinitions(table, varying);
        SCOPED_TRACE(round);
        const unsigned threads = 1 + round % 2;
        ReductAnalysis all;
        ReductAnalysis johnson;
        ReductAnalysis greedy;
        ASSERT_TRUE(computeReducts(table, ReductMethod::All, all, noProgress(), threads));
        ASSERT_TRUE(computeReducts(table, ReductMethod::Johnson, johnson, noProgress(), threads));
        ASSERT_TRUE(computeReducts(table, ReductMethod::Greedy, greedy, noProgress(), threads));
        EXPECT_EQ(all.reducts, expected.reducts);
        EXPECT_EQ(johnson.reducts, std::vector<Attributes>{expected.johnson});
        EXPECT_EQ(greedy.reducts, std::vector<Attributes>{expected.greedy});
        Attributes intersection = expected.reducts.front();
        for (const Attributes& reduct : expected.reducts) {
            Attributes common;
            std::set_intersection(intersection.begin(), intersection.end(), reduct.begin(), reduct.end(),
                                  std::back_inserter(common));
            intersection = common;
        }
        EXPECT_EQ(expected.core, intersection);
        for (const ReductAnalysis* analysis : {&all, &johnson, &greedy}) {
            EXPECT_EQ(analysis->core, expected.core);
        }
    }
}

TEST(Reducts, StopOrRunOutOfMemoryLeavingTheAnalysisAsItWas)
{
    std::mt19937 random(77);
    std::vector<float> matrix;
    for (int i = 0; i < 300 * 13; ++i) {
        matrix.push_back(float(random() % 3));
    }
    SystemDecyzyjny table;
    table.installValues(300, 12, matrix);
    ReductAnalysis before;
    before.core = {99};
    for (const ReductMethod method : {ReductMethod::All, ReductMethod::Johnson, ReductMethod::Greedy}) {
        for (const std::uint64_t stopAfter : {0, 1, 3, 20}) {
            testing::CountingProgress progress(stopAfter);
            ReductAnalysis analysis = before;
            EXPECT_FALSE(computeReducts(table, method, analysis, progress, 2));
            EXPECT_EQ(analysis.core, before.core);
        }
        bool finished = false;
        for (long allocations = 0; !finished; allocations += 1 + allocations / 8) {
            ReductAnalysis analysis = before;
            testing::failAfter(allocations);
            try {
                finished = computeReducts(table, method, analysis, noProgress(), 2);
            } catch (const std::bad_alloc&) {
                EXPECT_EQ(analysis.core, before.core);
                EXPECT_TRUE(analysis.reducts.empty());
            }
            testing::disarmFailure();
        }
    }
}

} // namespace
} // namespace kolven
