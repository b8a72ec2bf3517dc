#include "decision_system.h"
#include "grid_editor.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace kolven {
namespace {

// A table of rows x columns whose value at (r, c) is r * 100 + c.
SystemDecyzyjny numberedTable(std::uint32_t rows, std::uint32_t columns)
{
    std::vector<float> values(std::size_t(rows) * columns);
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t c = 0; c < columns; ++c) {
            values[std::size_t(r) * columns + c] = float(r * 100 + c);
        }
    }
    SystemDecyzyjny table;
    table.installValues(rows, columns - 1, std::move(values));
    return table;
}

std::vector<std::string> columnLabels(const GridEditor& editor)
{
    std::vector<std::string> labels;
    for (int c = 0; c < editor.visibleColumns(); ++c) {
        labels.push_back(editor.columnLabel(c));
    }
    return labels;
}

TEST(GridEditorScroll, FollowsTheBarTablesForColumns)
{
    using enum ScrollRequest;
    // 20 columns: a page to the right goes straight to the last position.
    EXPECT_EQ(scrolledPosition(PageForward, 0, 20, 15, 0), 5u);
    // 40 columns: 0 -> 15 -> 25.
    EXPECT_EQ(scrolledPosition(PageForward, 0, 40, 15, 0), 15u);
    EXPECT_EQ(scrolledPosition(PageForward, 15, 40, 15, 0), 25u);
    EXPECT_EQ(scrolledPosition(PageForward, 25, 40, 15, 0), 25u);
    EXPECT_EQ(scrolledPosition(PageBack, 25, 40, 15, 0), 10u);
    EXPECT_EQ(scrolledPosition(PageBack, 10, 40, 15, 0), 0u);
    EXPECT_EQ(scrolledPosition(LineBack, 0, 40, 15, 0), 0u);
    EXPECT_EQ(scrolledPosition(LineBack, 7, 40, 15, 0), 6u);
    EXPECT_EQ(scrolledPosition(LineForward, 24, 40, 15, 0), 25u);
    EXPECT_EQ(scrolledPosition(LineForward, 25, 40, 15, 0), 25u);
    EXPECT_EQ(scrolledPosition(Last, 3, 40, 15, 0), 25u);
    EXPECT_EQ(scrolledPosition(First, 3, 40, 15, 0), 0u);
    EXPECT_EQ(scrolledPosition(Thumb, 3, 40, 15, 12), 12u);
    EXPECT_EQ(scrolledPosition(EndScroll, 3, 40, 15, 12), 3u);
    // A track position the bar cannot reach keeps the window on the table.
    EXPECT_EQ(scrolledPosition(Thumb, 3, 40, 15, 99), 25u);
    EXPECT_EQ(scrolledPosition(Thumb, 3, 40, 15, -4), 0u);
}

TEST(GridEditorScroll, FollowsTheBarTablesForRows)
{
    using enum ScrollRequest;
    EXPECT_EQ(scrolledPosition(PageForward, 0, 25, 10, 0), 10u);
    EXPECT_EQ(scrolledPosition(PageForward, 10, 25, 10, 0), 15u);
    EXPECT_EQ(scrolledPosition(PageBack, 15, 25, 10, 0), 5u);
    EXPECT_EQ(scrolledPosition(LineForward, 15, 25, 10, 0), 15u);
    EXPECT_EQ(scrolledPosition(Last, 0, 25, 10, 0), 15u);
}

TEST(GridEditor, SmallTableHasNoBarsAndPlainLabels)
{
    GridEditor editor = GridEditor::forSystem(numberedTable(3, 3));
    EXPECT_FALSE(editor.hasHorizontalBar());
    EXPECT_FALSE(editor.hasVerticalBar());
    EXPECT_EQ(columnLabels(editor), (std::vector<std::string>{"A1", "A2", "D"}));
    EXPECT_EQ(editor.rowLabel(0), "O1");
    EXPECT_EQ(editor.rowLabel(2), "O3");
    EXPECT_EQ(editor.cellText(1, 2), "102.000");
    EXPECT_FALSE(editor.scrollColumns(ScrollRequest::Last));
    EXPECT_FALSE(editor.scrollRows(ScrollRequest::Last));
    EXPECT_EQ(editor.frame().caption, "Modyfikacja systemu decyzyjnego");
    EXPECT_EQ(editor.frame().width, 2 * 18 + 32);
    EXPECT_EQ(editor.frame().height, 3 * 13 + 28);
}

TEST(GridEditor, TwentyColumnsScrollToTheDecision)
{
    GridEditor editor = GridEditor::forSystem(numberedTable(2, 20));
    ASSERT_TRUE(editor.hasHorizontalBar());
    EXPECT_EQ(editor.horizontalMaximum(), 5);
    EXPECT_EQ(columnLabels(editor).back(), "A15");
    EXPECT_TRUE(editor.scrollColumns(ScrollRequest::Last));
    EXPECT_EQ(editor.firstColumn(), 5u);
    const auto labels = columnLabels(editor);
    EXPECT_EQ(labels.front(), "A6");
    EXPECT_EQ(labels[13], "A19");
    EXPECT_EQ(labels.back(), "D");
    EXPECT_EQ(editor.cellText(1, 0), "105.000");
    EXPECT_EQ(editor.cellText(1, 14), "119.000");
}

TEST(GridEditor, FrameGrowsWithBars)
{
    GridEditor wide = GridEditor::forSystem(numberedTable(12, 16));
    EXPECT_TRUE(wide.hasVerticalBar());
    EXPECT_EQ(wide.verticalMaximum(), 2);
    EXPECT_EQ(wide.frame().width, 284 + 8);
    EXPECT_EQ(wide.frame().height, 8 + 158);
    EXPECT_EQ(wide.rowLabel(9), "O10");
    EXPECT_TRUE(wide.scrollRows(ScrollRequest::PageForward));
    EXPECT_EQ(wide.rowLabel(9), "O12");
}

TEST(GridEditor, ScrollStoresEditsAndFillsThemBack)
{
    GridEditor editor = GridEditor::forSystem(numberedTable(12, 20));
    editor.setCellText(0, 0, "7.25");
    editor.setCellText(9, 14, "");
    editor.setCellText(2, 3, "nan");
    editor.setCellText(3, 3, "-inf");
    editor.setCellText(4, 3, "2.5xyz");
    ASSERT_TRUE(editor.scrollColumns(ScrollRequest::Last));
    ASSERT_TRUE(editor.scrollRows(ScrollRequest::Last));
    ASSERT_TRUE(editor.scrollColumns(ScrollRequest::First));
    ASSERT_TRUE(editor.scrollRows(ScrollRequest::First));
    EXPECT_EQ(editor.cellText(0, 0), "7.250");
    EXPECT_EQ(editor.cellText(9, 14), "0.000");
    EXPECT_EQ(editor.cellText(2, 3), "0.000");
    EXPECT_EQ(editor.cellText(3, 3), "0.000");
    EXPECT_EQ(editor.cellText(4, 3), "2.500");
    editor.accept();
    EXPECT_EQ(editor.values()[0], 7.25f);
    EXPECT_EQ(editor.values()[9 * 20 + 14], 0.0f);
    // A value never shown keeps every bit.
    EXPECT_EQ(editor.values()[11 * 20 + 19], 1119.0f);
}

TEST(GridEditor, VisibleValuesPassThroughTheirThreeDecimalText)
{
    SystemDecyzyjny table;
    table.installValues(1, 1, {0.12345f, 12345678901.0f});
    GridEditor editor = GridEditor::forSystem(table);
    EXPECT_EQ(editor.cellText(0, 1), "12345678848.000");
    editor.accept();
    EXPECT_EQ(editor.values()[0], 0.123f);
    // Long texts are read whole: the integer digits survive.
    EXPECT_EQ(editor.values()[1], 12345678901.0f);
}

TEST(GridEditor, NewSystemStartsEmptyAndStoresZeros)
{
    GridEditor editor = GridEditor::forNewSystem(3, 1);
    EXPECT_EQ(editor.frame().caption, "Tworzenie nowego systemu decyzyjnego");
    EXPECT_EQ(editor.cellText(2, 1), "");
    editor.setCellText(1, 0, "4");
    editor.accept();
    EXPECT_EQ(editor.values(), (std::vector<float>{0, 0, 4, 0, 0, 0}));
}

TEST(GridEditor, RefusesATableThatCannotBeRepresented)
{
    EXPECT_THROW(GridEditor::forNewSystem(2147483647u, 2147483647u), std::bad_alloc);
}

} // namespace
} // namespace kolven
