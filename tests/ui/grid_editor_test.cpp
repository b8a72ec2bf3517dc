#include "decision_system.h"
#include "grid_editor.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

namespace kolven {
namespace {

// A table of rows x columns whose value at (r, c) is r * 100 + c.
SystemDecyzyjny numberedTable(std::uint32_t rows, std::uint32_t columns)
{
    std::vector<float> values;
    for (std::uint32_t i = 0; i < rows * columns; ++i) {
        values.push_back(float(i / columns * 100 + i % columns));
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

TEST(GridEditorScroll, FollowsTheBarTables)
{
    using enum ScrollRequest;
    struct Case {
        ScrollRequest request;
        std::uint32_t from;
        std::uint32_t count; // 15 columns or 10 rows shown
        int track;
        std::uint32_t to;
    };
    const std::vector<Case> cases{
        {PageForward, 0, 20, 0, 5}, // 20 columns: a page to the right goes straight to the last position
        {PageForward, 0, 40, 0, 15}, {PageForward, 15, 40, 0, 25}, {PageForward, 25, 40, 0, 25}, // 40: 0, 15, 25
        {PageBack, 25, 40, 0, 10}, {PageBack, 10, 40, 0, 0}, {LineBack, 0, 40, 0, 0}, {LineBack, 7, 40, 0, 6},
        {LineForward, 24, 40, 0, 25}, {LineForward, 25, 40, 0, 25}, {Last, 3, 40, 0, 25}, {First, 3, 40, 0, 0},
        {Thumb, 3, 40, 12, 12}, {EndScroll, 3, 40, 12, 3},
        {Thumb, 3, 40, 99, 25}, {Thumb, 3, 40, -4, 0}, // a track position the bar cannot reach
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scrolledPosition(c.request, c.from, c.count, 15, c.track), c.to)
            << int(c.request) << " from " << c.from << " of " << c.count;
    }
    EXPECT_EQ(scrolledPosition(PageForward, 10, 25, 10, 0), 15u);
    EXPECT_EQ(scrolledPosition(PageBack, 15, 25, 10, 0), 5u);
}

TEST(GridEditor, ScrollStoresEditsAndFillsThemBack)
{
    GridEditor editor = GridEditor::forSystem(numberedTable(12, 20));
    ASSERT_TRUE(editor.hasHorizontalBar() && editor.hasVerticalBar());
    // Typed values are stored; texts that are no values are kept as they were typed.
    const std::vector<std::pair<std::string, std::string>> typed{
        {"7.25", "7.250"}, {"2,5", "2.500"}, {"", ""}, {"nan", "nan"}, {"2.5xyz", "2.5xyz"}};
    for (std::size_t i = 0; i < typed.size(); ++i) {
        editor.setCellText(int(i), 3, typed[i].first);
    }
    ASSERT_TRUE(editor.scrollColumns(ScrollRequest::Last));
    ASSERT_TRUE(editor.scrollRows(ScrollRequest::PageForward));
    const auto labels = columnLabels(editor);
    EXPECT_EQ(labels.front(), "A6");
    EXPECT_EQ(labels[13], "A19");
    EXPECT_EQ(labels.back(), "D");
    EXPECT_EQ(editor.rowLabel(9), "O12");
    EXPECT_EQ(editor.cellText(9, 0), "1105.000");
    EXPECT_EQ(editor.cellText(9, 14), "1119.000");
    ASSERT_TRUE(editor.scrollColumns(ScrollRequest::First));
    ASSERT_TRUE(editor.scrollRows(ScrollRequest::First));
    for (std::size_t i = 0; i < typed.size(); ++i) {
        EXPECT_EQ(editor.cellText(int(i), 3), typed[i].second) << typed[i].first;
    }
    editor.setCellText(2, 3, "-1e2");
    editor.setCellText(3, 3, "nan");
    editor.scrollColumns(ScrollRequest::Last);
    editor.accept();
    EXPECT_FALSE(editor.accepted()) << "a refused text scrolled away still refuses OK";
    EXPECT_EQ(editor.refusal(), "Wartosc \"nan\" (wiersz O4, kolumna A4) nie jest liczba. Wpisz liczbe dziesietna, "
                                "np. 2.5 lub 2,5, co do wartosci bezwzglednej nie wieksza niz 3.4e38.");
    EXPECT_EQ(editor.cellText(editor.refusedRow(), editor.refusedColumn()), "nan") << "the refused field is shown";
    editor.setCellText(editor.refusedRow(), editor.refusedColumn(), "0");
    editor.setCellText(editor.refusedRow() + 1, editor.refusedColumn(), " 3 ");
    editor.accept();
    ASSERT_TRUE(editor.accepted()) << editor.refusal();
    EXPECT_EQ(editor.values()[3], 7.25f);
    EXPECT_EQ(editor.values()[20 + 3], 2.5f);
    EXPECT_EQ(editor.values()[40 + 3], -100.0f);
    EXPECT_EQ(editor.values()[11 * 20 + 19], 1119.0f) << "a value never shown keeps every bit";
}

TEST(GridEditor, NewTableStartsEmptyStoresZerosAndMustBeRepresentable)
{
    GridEditor editor = GridEditor::forNewSystem(3, 1);
    EXPECT_EQ(editor.cellText(2, 1), "");
    editor.accept();
    EXPECT_EQ(editor.values(), std::vector<float>(6, 0.0f));
    EXPECT_THROW(GridEditor::forNewSystem(2147483647u, 2147483647u), std::bad_alloc);

    // Shown values pass through their three-decimal text; long values are read whole.
    SystemDecyzyjny table;
    table.installValues(1, 1, {0.12345f, 12345678901.0f});
    GridEditor loaded = GridEditor::forSystem(table);
    EXPECT_EQ(loaded.cellText(0, 1), "12345678848.000");
    loaded.accept();
    EXPECT_EQ(loaded.values()[0], 0.123f);
    EXPECT_EQ(loaded.values()[1], 12345678901.0f);
}

TEST(GridEditor, TypedTextIsAValueOnlyWhenItIsAWholeDecimalNumberAFloatHolds)
{
    for (const auto& [text, value] : std::vector<std::pair<std::string, float>>{
             {"2,5", 2.5f}, {" -3.25 ", -3.25f}, {"+1e3", 1000.0f}, {"1.", 1.0f}, {"-0,5", -0.5f}, {"3.4e38", 3.4e38f}}) {
        EXPECT_EQ(valueOfTypedText(text), value) << text;
    }
    for (const std::string text : {"", " ", "abc", "1e40", "-1e39", "inf", "nan", "0x10", "2,5,1", "2.5,1", "2.5xyz",
                                   "1 2", "--1", "+-1", "e5"}) {
        EXPECT_EQ(valueOfTypedText(text), std::nullopt) << text;
    }
}

// Three columns of names: a nominal one, a numeric one and the nominal decision.
TEST(GridEditor, WithNamesShowsAndTakesWordsAndRefusesOthers)
{
    SystemDecyzyjny table;
    table.installValues(2, 2, {0, 24.5f, 1, kMissingValue, 18, 0});
    TableNames names;
    names.columns = {{"sky", true, {"sunny", "rain"}}, {"temperature", false, {}}, {"water", true, {"no", "yes"}}};
    GridEditor editor = GridEditor::forSystem(table, &names);
    EXPECT_EQ(columnLabels(editor), (std::vector<std::string>{"sky", "temperature", "water"}));
    EXPECT_EQ(editor.cellText(0, 0) + " " + editor.cellText(0, 1) + " " + editor.cellText(0, 2) + " " +
                  editor.cellText(1, 0),
              "sunny 24.500 yes ?");
    editor.setCellText(0, 0, "cloudy");
    editor.setCellText(1, 0, " rain ");
    editor.setCellText(1, 2, "?");
    editor.accept();
    EXPECT_EQ(editor.refusal(), "Wartosc \"cloudy\" (wiersz O1, kolumna sky) nie jest wartoscia tego atrybutu. "
                                "Wpisz jedna z: sunny, rain, albo ? (brak wartosci).");
    editor.setCellText(0, 0, "rain");
    editor.accept();
    EXPECT_EQ(editor.values(), (std::vector<float>{1, 24.5f, 1, 1, 18, kMissingValue}));

    EXPECT_EQ(GridEditor::forSystem(table).columnLabel(0), "A1") << "names hidden";
}

// A table of 300 x 100: the wheel moves three rows or columns a notch, and the text above the
// grid says where it is and where the decision is; a narrow screen gets fewer columns.
TEST(GridEditor, WheelPositionTextAndNarrowScreens)
{
    GridEditor editor = GridEditor::forSystem(numberedTable(300, 101));
    EXPECT_EQ(editor.positionText(), "Kolumny 1-15 z 101, decyzja w kolumnie 101; wiersze 1-10 z 300");
    EXPECT_TRUE(editor.scrollByWheel(2, false));
    EXPECT_FALSE(editor.scrollByWheel(-1, true));
    EXPECT_TRUE(editor.scrollByWheel(40, true));
    EXPECT_EQ(editor.positionText(), "Kolumny 87-101 z 101, decyzja w kolumnie 101; wiersze 7-16 z 300");
    EXPECT_EQ(editor.cellText(0, 14), "700.000");
    EXPECT_TRUE(editor.scrollByWheel(-1, false));
    EXPECT_EQ(editor.firstRow(), 3u);
    EXPECT_EQ(GridEditor::forNewSystem(20, 3).positionText(), "");

    editor.limitVisibleColumns(editor.cellBox(0, 5).x);
    EXPECT_EQ(editor.visibleColumns(), 5);
    EXPECT_LE(editor.minimumClientWidth(), editor.cellBox(0, 5).x);
    EXPECT_EQ(editor.cellText(0, 4), "390.000") << "filled again from where it was";
    EXPECT_EQ(editor.horizontalMaximum(), 96);
}

TEST(GridEditor, FrameBarsAndLastColumnLabelFollowTheTableSize)
{
    struct Case {
        std::uint32_t rows;
        std::uint32_t attributes;
        int width;
        int height;
        const char* lastLabel;
    };
    for (const Case& c : {Case{3, 2, 68, 67, "D"}, Case{10, 14, 284, 158, "D"}, Case{11, 14, 292, 158, "D"},
                          Case{10, 15, 284, 166, "A15"}, Case{11, 15, 292, 166, "A15"}, Case{1, 40, 284, 49, "A15"}}) {
        const GridEditor editor = GridEditor::forNewSystem(c.rows, c.attributes);
        const DialogFrame frame = editor.frame();
        EXPECT_EQ(std::pair(frame.width, frame.height), std::pair(c.width, c.height)) << c.rows << " x " << c.attributes;
        EXPECT_EQ(editor.hasVerticalBar(), c.rows > 10) << c.rows;
        EXPECT_EQ(editor.hasHorizontalBar(), c.attributes >= 15) << c.attributes;
        EXPECT_EQ(editor.columnLabel(editor.visibleColumns() - 1), c.lastLabel);
        EXPECT_EQ(editor.columnLabelBox(editor.visibleColumns() - 1).width, 24) << "the last label is narrower";
    }
}

} // namespace
} // namespace kolven
