#include "decision_system.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

namespace kolven {
namespace {

// One condition attribute: each row is (object number, decision).
SystemDecyzyjny tableWithDecisions(const std::vector<float>& decisions)
{
    SystemDecyzyjny table;
    std::vector<float> matrix;
    for (std::size_t i = 0; i < decisions.size(); ++i) {
        matrix.push_back(float(i));
        matrix.push_back(decisions[i]);
    }
    table.installValues(std::uint32_t(decisions.size()), 1, matrix);
    return table;
}

TEST(DecisionSystem, DerivesEveryCountFromItsDimensions)
{
    SystemDecyzyjny table;
    table.setDimensions(5, 3);
    EXPECT_EQ(table.objectCount, 5u);
    EXPECT_EQ(table.lastObjectIndex, 4u);
    EXPECT_EQ(table.attributeCount, 3u);
    EXPECT_EQ(table.rowLength, 4u);
    EXPECT_EQ(table.pairBlockLength, 12u);
    EXPECT_EQ(table.conditionValueCount, 15u);
    EXPECT_EQ(table.valueCount, 20u);
    EXPECT_EQ(table.rowBytes, 16u);

    table.setDimensions(1, 0);
    EXPECT_EQ(table.lastObjectIndex, 0u);
    EXPECT_EQ(table.pairBlockLength, 0u);
    EXPECT_EQ(table.rowLength, 1u);
}

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
    SystemDecyzyjny table = tableWithDecisions({2, 1, 2, 3, 1});
    table.buildDecisionClasses();
    ASSERT_EQ(table.classCount, 3u);
    EXPECT_EQ(table.classStarts, (std::vector<std::uint32_t>{0, 4, 8, 10}));
    EXPECT_EQ(table.groupedRows, (std::vector<float>{1, 1, 4, 1, 0, 2, 2, 2, 3, 3}));
    EXPECT_EQ(table.classDecision(0), 1.0f);
    EXPECT_EQ(table.classSize(1), 2u);
    EXPECT_EQ(table.classSize(2), 1u);

    table.releaseDecisionClasses();
    EXPECT_EQ(table.classCount, 0u);
    EXPECT_TRUE(table.groupedRows.empty());
}

TEST(DecisionSystem, OneDecisionGivesOneClassEqualToTheMatrix)
{
    SystemDecyzyjny table = tableWithDecisions({7, 7, 7});
    table.buildDecisionClasses();
    EXPECT_EQ(table.classCount, 1u);
    EXPECT_EQ(table.groupedRows, table.values);
}

TEST(DecisionSystem, NegativeZeroJoinsTheClassOfZero)
{
    SystemDecyzyjny table = tableWithDecisions({0.0f, -0.0f, 1.0f, -0.0f});
    table.buildDecisionClasses();
    ASSERT_EQ(table.classCount, 2u);
    EXPECT_EQ(table.classSize(0), 3u);
    EXPECT_EQ(table.groupedRows[0], 0.0f);
    EXPECT_EQ(table.groupedRows[2], 1.0f) << "rows keep their order inside the class";
    EXPECT_EQ(table.groupedRows[4], 3.0f);
}

TEST(DecisionSystem, CopyFromGivesASeparateMatrix)
{
    SystemDecyzyjny source = tableWithDecisions({1, 2});
    SystemDecyzyjny copy;
    copy.copyFrom(source);
    source.values[0] = 99;
    EXPECT_EQ(copy.objectCount, 2u);
    EXPECT_EQ(copy.attributeCount, 1u);
    EXPECT_EQ(copy.values, (std::vector<float>{0, 1, 1, 2}));
}

} // namespace
} // namespace kolven
