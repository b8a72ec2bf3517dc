#pragma once

#include "dialog_layout.h"
#include "table_names.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {


inline constexpr std::string_view kModifySystemCaption = "Modyfikacja systemu decyzyjnego";

// The grid shows at most this many columns and rows of fields; scroll bars move it over larger
// tables.
inline constexpr int kGridColumns = 15;
inline constexpr int kGridRows = 10;

// What a scroll bar asks for. Each adapter maps its scroll bar actions onto these: single steps to
// Line*, page steps to Page*, dragging to Thumb (with the track position), to the minimum or
// maximum to First or Last.
enum class ScrollRequest { LineBack, LineForward, PageBack, PageForward, Thumb, First, Last, EndScroll };

// The table editor: a window of at most 15 x 10 text fields over a table of values, the decision
// in the last column. Either adapter's dialog shows the fields' texts (cellText), hands every
// edit back (setCellText), asks scrollColumns/scrollRows on its bars' requests and then re-reads every
// label and field, and calls accept() or cancel() when OK or ANULUJ is clicked.
//
// Values pass through their "%.3f" text: a value shown when OK is pressed or when a scroll moves
// it away is stored as the number its field holds; values never shown keep their precision.
// A field typed into must hold a whole value (valueOfTypedText): a decimal number a float can
// hold, with a point or a comma, or in a nominal column with names shown, a word of its list or
// "?". Any other typed text is kept as it was typed, also when a scroll moves it away, and OK
// is refused: accept() then names the first such field in refusal() and moves the grid to it.
// A new table's fields left as they are keep the table's zeros.
class GridEditor {
public:
    // The editor of a new table of rows x (attributes + 1) zeros with empty fields. Throws
    // std::bad_alloc when the table cannot be represented or allocated.
    static GridEditor forNewSystem(std::uint32_t rows, std::uint32_t attributes);
    // The editor over a copy of a table, its fields filled; caption "Modyfikacja systemu
    // decyzyjnego". Throws std::bad_alloc when the copy cannot be allocated.
    // With names (when shown and describing the table), the column labels are the attribute
    // names and a nominal field shows its word ("?" for a missing value) and takes a word.
    static GridEditor forSystem(const SystemDecyzyjny& system, const TableNames* names = nullptr);

    // Caption and frame in dialog units: x 60, y 40; width A x 18 + 32 below 15 attributes, else
    // 284; height R x 13 + 28 below 11 rows, else 158 (and the width 8 more), plus 8 when there
    // are 15 attributes or more.
    DialogFrame frame() const;
    bool hasHorizontalBar() const { return columnCount_ > std::uint32_t(kGridColumns); }
    bool hasVerticalBar() const { return rowCount_ > std::uint32_t(kGridRows); }
    // The largest first column (first row) the bar can reach; 0 without a bar. A bar's page is
    // the visible count.
    int horizontalMaximum() const;
    int verticalMaximum() const;

    // OK at (4, 2), ANULUJ at (74, 2), 60 x 28 each; no tab stops.
    ControlBox okBox() const { return {4, 2, 60, 28}; }
    ControlBox cancelBox() const { return {74, 2, 60, 28}; }
    // Visible column c's label (y 32, 34 wide, the last one 24), row r's label (x 4, 34 x 16) and
    // field (r, c), 27 x 20 on a 35 x 25 pitch from (39, 57). The tab order runs row by row.
    // fitTexts widens the label column and the fields, and the pitch with them.
    ControlBox columnLabelBox(int c) const;
    ControlBox rowLabelBox(int r) const;
    ControlBox cellBox(int r, int c) const;

    // The widest texts the grid must show whole: a field's "%.3f" of a value of seven integer
    // digits, and the row label of the table's last object.
    static std::string_view widestCellText() { return "-9999999.999"; }
    std::string widestRowLabel() const;
    // Sizes the label column and the fields for those texts as the screen measures them, in
    // pixels; never smaller than the sizes above.
    void fitTexts(int cellTextWidth, int rowLabelTextWidth);
    // The narrowest client area, in pixels, that shows both buttons and every visible column
    // whole (a vertical bar comes on top of it).
    int minimumClientWidth() const;

    int visibleRows() const { return visibleRows_; }
    int visibleColumns() const { return visibleColumns_; }
    std::uint32_t rowCount() const { return rowCount_; }
    std::uint32_t attributeCount() const { return columnCount_ - 1; }
    std::uint32_t columnCount() const { return columnCount_; }
    std::uint32_t firstRow() const { return firstRow_; }
    std::uint32_t firstColumn() const { return firstColumn_; }

    // "A%u" with the table column's number from 1, or "D" over the decision column; the
    // attribute's name with names shown.
    std::string columnLabel(int c) const;
    // Where the grid is on a table wider than it, so that the decision column and the visible part
    // can be found: "Kolumny 1-15 z 101, decyzja w kolumnie 101" (and the rows with a vertical
    // bar); empty without a horizontal bar. Shown right of ANULUJ, at positionBox.
    std::string positionText() const;
    ControlBox positionBox() const;
    // "O%u" with the object's number from 1.
    std::string rowLabel(int r) const;

    // The text of visible field (r, c).
    const std::string& cellText(int r, int c) const;
    void setCellText(int r, int c, std::string_view text);

    // Moves the visible window by a request, as the bar's rules give it; with Thumb, to
    // trackPosition. Stores the visible fields, moves, fills them from the new place. Returns
    // true when the window moved (the screen then re-reads labels and fields and sets the bar).
    bool scrollColumns(ScrollRequest request, int trackPosition = 0);
    bool scrollRows(ScrollRequest request, int trackPosition = 0);
    // The mouse wheel over the grid: notches forward (positive) or back, three rows (or columns)
    // each.
    bool scrollByWheel(int notches, bool columns);
    // Shows fewer columns when the grid's columns would not fit clientWidth pixels (a narrow
    // screen); at least one. Call before the screen creates the fields.
    void limitVisibleColumns(int clientWidth);

    // OK: stores the visible fields; the values are then the caller's to install. Refused while a
    // typed text is not a value: refusal() then tells which and the refused field is visible.
    void accept();
    // ANULUJ: the values are discarded.
    void cancel()
    {
        accepted_ = false;
        refusal_.clear();
    }
    bool accepted() const { return accepted_; }
    // The message of the last refused OK; empty when OK was not refused.
    const std::string& refusal() const { return refusal_; }
    // The visible row and column of the field the refusal names.
    int refusedRow() const { return refusedRow_; }
    int refusedColumn() const { return refusedColumn_; }

    const std::vector<float>& values() const { return values_; }
    std::vector<float> takeValues() { return std::move(values_); }

private:
    GridEditor(std::string_view caption, std::uint32_t rows, std::uint32_t attributes, std::vector<float> values);

    void storeVisibleCells();
    void fillVisibleCells();
    // Moves first (the first visible row or column) to position, storing the visible fields
    // before and filling them after; false when it is already there.
    bool scrollTo(std::uint32_t& first, std::uint32_t position);
    std::size_t valueIndex(int r, int c) const;
    // The text a value of table column shows, and the value a typed text of it stands for.
    std::string textOfValue(std::uint32_t column, float value) const;
    std::optional<float> valueOfText(std::uint32_t column, std::string_view text) const;
    std::string refusalText(std::uint32_t row, std::uint32_t column, const std::string& text) const;
    std::string labelOfColumn(std::uint32_t column) const;
    int gridLeft() const { return 4 + rowLabelWidth_ + 1; }
    int columnPitch() const { return cellWidth_ + 8; }
    std::string& cell(int r, int c) { return cells_[std::size_t(r) * std::size_t(visibleColumns_) + std::size_t(c)]; }

    std::string_view caption_;
    std::uint32_t rowCount_;
    std::uint32_t columnCount_;
    int visibleRows_;
    int visibleColumns_;
    std::vector<float> values_;
    std::vector<std::string> cells_;
    // Which visible fields were typed into since they were filled.
    std::vector<bool> typed_;
    // Typed texts that are not values, by their value's index, kept until mended.
    std::map<std::size_t, std::string> refused_;
    // The names shown (their columns; empty when hidden).
    std::vector<NamedColumn> named_;
    std::string refusal_;
    int refusedRow_ = 0;
    int refusedColumn_ = 0;
    std::uint32_t firstRow_ = 0;
    std::uint32_t firstColumn_ = 0;
    int rowLabelWidth_ = 34;
    int cellWidth_ = 27;
    bool accepted_ = false;
    // Whether the fields show the values (a new table's start empty).
    bool filled_ = false;
};

// The first position of a scroll bar over count entries of which page are visible, after a
// request from position: the rules of the table editor's bars (count must exceed page).
std::uint32_t scrolledPosition(ScrollRequest request, std::uint32_t position, std::uint32_t count,
                               std::uint32_t page, int trackPosition);

// The text a field shows for a value: "%.3f".
std::string cellTextOf(float value);
// The value a field's whole text stores: its leading number narrowed to a float, or 0.0 when the
// text is empty or not a finite number.
float valueOfCellText(std::string_view text);
// The value a typed field stands for: its whole text (spaces around it aside) a decimal number,
// with a point or one decimal comma, whose float is finite; none otherwise ("abc", "1e40", "").
std::optional<float> valueOfTypedText(std::string_view text);

} // namespace kolven
