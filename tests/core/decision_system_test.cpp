#include "decision_system.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace kolven
