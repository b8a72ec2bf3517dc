#include "decision_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <vector>

namespace kolven {
namespace {

TEST(DecisionSystem, RefusesCountsThatCannotBeRepresented)
{
    SystemDecyzyjny table;
    table.setDimensions(2, 2);
    EXPECT_THROW(table.setDimensions(2147483647u, 2147483647u), std::bad_alloc);
    EXPECT_THROW(table.setDimensions(65536u, 65536u), std::bad_alloc);
    EXPECT_EQ(table.objectCount, 2u) << "a refused size leaves the record as it was";
    EXPECT_THROW(table.installValues(2, 2, std::vector<float>(5)), std::bad_alloc);
}

TEST(DecisionSystem, GroupsRowsByAscendingDecisionKeepingTheirOrder)
{
    // Each row is (object number, decision). -0 joins the class of 0; rows keep their table order
    // inside a class.
    SystemDecyzyjny table;
    table.installValues(6, 1, {0, 2, 1, 0, 2, 2, 3, -0.0f, 4, 1, 5, 0});
    table.buildDecisionClasses();
    ASSERT_EQ(table.classCount, 3u);
    EXPECT_EQ(table.classStarts, (std::vector<std::uint32_t>{0, 6, 8, 12}));
    EXPECT_EQ(table.groupedRows, (std::vector<float>{1, 0, 3, 0, 5, 0, 4, 1, 0, 2, 2, 2}));
    EXPECT_EQ(table.classDecision(1), 1.0f);
    EXPECT_EQ(table.classSize(0), 3u);
    EXPECT_EQ(table.classRows(2)[0], 0.0f);

    table.releaseDecisionClasses();
    EXPECT_EQ(table.classCount, 0u);
    EXPECT_TRUE(table.groupedRows.empty());

    SystemDecyzyjny same;
    same.installValues(3, 1, {0, 7, 1, 7, 2, 7});
    same.buildDecisionClasses();
    EXPECT_EQ(same.classCount, 1u);
    EXPECT_EQ(same.groupedRows, same.values);
}

TEST(DecisionSystem, GroupsATableOfManyDecisionValuesAsAFewTheSameWay)
{
    // 300 objects with 97 decision values (one of them written both 0 and -0): the grouping of a
    // table with many classes must be the one a stable sort by decision gives.
    std::vector<float> values;
    for (std::uint32_t object = 0; object < 300; ++object) {
        const float d = float((object * 37) % 97) - 48;
        values.insert(values.end(), {float(object), d == 0 && object % 2 == 1 ? -0.0f : d});
    }
    SystemDecyzyjny table;
    table.installValues(300, 1, values);
    table.buildDecisionClasses();
    std::vector<std::uint32_t> order(300);
    for (std::uint32_t object = 0; object < 300; ++object) {
        order[object] = object;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return values[2 * a + 1] < values[2 * b + 1]; });
    std::vector<float> expected;
    for (const std::uint32_t object : order) {
        expected.insert(expected.end(), {values[2 * object], values[2 * object + 1]});
    }
    EXPECT_EQ(table.classCount, 97u);
    EXPECT_EQ(table.groupedRows, expected);
    const auto zeros = std::count_if(order.begin(), order.end(), [&](std::uint32_t o) { return values[2 * o + 1] == 0; });
    EXPECT_EQ(table.classSize(48), std::uint32_t(zeros)) << "-0 and 0 are one class";
}

} // namespace
} // namespace kolven
