#include "grid_editor.h"

#include "checked_size.h"
#include "decision_system.h"
#include "parameter_dialog.h"
#include "table_files.h"
#include "text_format.h"

#include <algorithm>
#include <cmath>

namespace kolven {

namespace {

constexpr int kGridTop = 57;
constexpr int kRowPitch = 25;
constexpr int kMargin = 4;        // the buttons' and the row labels' distance from the left edge
constexpr int kCellPadding = 8;   // a field's frame, its inner margins and a pixel to spare each side
constexpr int kLabelPadding = 2;

} // namespace

GridEditor GridEditor::forNewSystem(std::uint32_t rows, std::uint32_t attributes)
{
    std::vector<float> zeros(checkedCount({rows, std::uint64_t(attributes) + 1}), 0.0f);
    return GridEditor(kCreateSystemCaption, rows, attributes, std::move(zeros));
}

GridEditor GridEditor::forSystem(const SystemDecyzyjny& system)
{
    GridEditor editor(kModifySystemCaption, system.objectCount, system.attributeCount, system.values);
    editor.fillVisibleCells();
    return editor;
}

GridEditor::GridEditor(std::string_view caption, std::uint32_t rows, std::uint32_t attributes,
                       std::vector<float> values)
    : caption_(caption),
      rowCount_(rows),
      columnCount_(attributes + 1),
      visibleRows_(int(std::min<std::uint32_t>(rows, kGridRows))),
      visibleColumns_(int(std::min<std::uint32_t>(attributes + 1, kGridColumns))),
      values_(std::move(values)),
      cells_(std::size_t(visibleRows_) * std::size_t(visibleColumns_))
{
    // The counts come from a table whose size fits 32 bits, so the column count cannot wrap.
    if (checkedCount({rows, std::uint64_t(attributes) + 1}) != values_.size()) {
        throw std::bad_alloc();
    }
}

DialogFrame GridEditor::frame() const
{
    const std::uint32_t attributes = attributeCount();
    int width = attributes < 15 ? int(attributes) * 18 + 32 : 284;
    int height = attributes < 15 ? 0 : 8;
    if (rowCount_ < 11) {
        height += int(rowCount_) * 13 + 28;
    } else {
        height += 158;
        width += 8;
    }
    return {caption_, 60, 40, width, height};
}

int GridEditor::horizontalMaximum() const
{
    return hasHorizontalBar() ? int(columnCount_) - kGridColumns : 0;
}

int GridEditor::verticalMaximum() const
{
    return hasVerticalBar() ? int(rowCount_) - kGridRows : 0;
}

ControlBox GridEditor::columnLabelBox(int c) const
{
    const int width = c == visibleColumns_ - 1 ? columnPitch() - 11 : columnPitch() - 1;
    return {gridLeft() + 6 + columnPitch() * c, kGridTop - 25, width, 16};
}

ControlBox GridEditor::rowLabelBox(int r) const
{
    return {kMargin, kGridTop + 2 + kRowPitch * r, rowLabelWidth_, 16};
}

ControlBox GridEditor::cellBox(int r, int c) const
{
    return {gridLeft() + columnPitch() * c, kGridTop + kRowPitch * r, cellWidth_, 20};
}

std::string GridEditor::widestRowLabel() const
{
    return "O" + std::to_string(rowCount_);
}

void GridEditor::fitTexts(int cellTextWidth, int rowLabelTextWidth)
{
    cellWidth_ = std::max(27, cellTextWidth + kCellPadding);
    rowLabelWidth_ = std::max(34, rowLabelTextWidth + kLabelPadding);
}

int GridEditor::minimumClientWidth() const
{
    const ControlBox cancel = cancelBox();
    const ControlBox lastCell = cellBox(0, visibleColumns_ - 1);
    return std::max(cancel.x + cancel.width, lastCell.x + lastCell.width) + kMargin;
}

std::string GridEditor::columnLabel(int c) const
{
    const std::uint32_t column = firstColumn_ + std::uint32_t(c);
    if (column == attributeCount()) {
        return "D";
    }
    return "A" + std::to_string(column + 1);
}

std::string GridEditor::rowLabel(int r) const
{
    return "O" + std::to_string(firstRow_ + std::uint32_t(r) + 1);
}

const std::string& GridEditor::cellText(int r, int c) const
{
    return cells_[std::size_t(r) * std::size_t(visibleColumns_) + std::size_t(c)];
}

void GridEditor::setCellText(int r, int c, std::string_view text)
{
    cell(r, c) = std::string(text);
}

std::size_t GridEditor::valueIndex(int r, int c) const
{
    return (std::size_t(firstRow_) + std::size_t(r)) * columnCount_ + firstColumn_ + std::size_t(c);
}

void GridEditor::storeVisibleCells()
{
    for (int r = 0; r < visibleRows_; ++r) {
        for (int c = 0; c < visibleColumns_; ++c) {
            values_[valueIndex(r, c)] = valueOfCellText(cellText(r, c));
        }
    }
}

void GridEditor::fillVisibleCells()
{
    for (int r = 0; r < visibleRows_; ++r) {
        for (int c = 0; c < visibleColumns_; ++c) {
            cell(r, c) = cellTextOf(values_[valueIndex(r, c)]);
        }
    }
}

bool GridEditor::scrollColumns(ScrollRequest request, int trackPosition)
{
    return hasHorizontalBar() &&
           scrollTo(firstColumn_, scrolledPosition(request, firstColumn_, columnCount_, kGridColumns, trackPosition));
}

bool GridEditor::scrollRows(ScrollRequest request, int trackPosition)
{
    return hasVerticalBar() &&
           scrollTo(firstRow_, scrolledPosition(request, firstRow_, rowCount_, kGridRows, trackPosition));
}

bool GridEditor::scrollTo(std::uint32_t& first, std::uint32_t position)
{
    if (position == first) {
        return false;
    }
    storeVisibleCells();
    first = position;
    fillVisibleCells();
    return true;
}

void GridEditor::accept()
{
    storeVisibleCells();
    accepted_ = true;
}

std::uint32_t scrolledPosition(ScrollRequest request, std::uint32_t position, std::uint32_t count,
                               std::uint32_t page, int trackPosition)
{
    const std::int64_t p = position;
    const std::int64_t last = std::int64_t(count) - std::int64_t(page);
    std::int64_t next = p;
    switch (request) {
    case ScrollRequest::LineBack:
        next = p == 0 ? p : p - 1;
        break;
    case ScrollRequest::LineForward:
        next = p == last ? p : p + 1;
        break;
    case ScrollRequest::PageBack:
        next = p >= std::int64_t(page) ? p - std::int64_t(page) : 0;
        break;
    case ScrollRequest::PageForward:
        next = p < last - std::int64_t(page) ? p + std::int64_t(page) : last;
        break;
    case ScrollRequest::Thumb:
        next = trackPosition;
        break;
    case ScrollRequest::First:
        next = 0;
        break;
    case ScrollRequest::Last:
        next = last;
        break;
    case ScrollRequest::EndScroll:
        break;
    }
    // A track position out of the bar's range cannot be reached with the mouse; keep the window
    // on the table whatever the request.
    return std::uint32_t(std::clamp<std::int64_t>(next, 0, std::max<std::int64_t>(last, 0)));
}

std::string cellTextOf(float value)
{
    std::string text;
    appendFixed(text, value, 3);
    return text;
}

float valueOfCellText(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string_view::npos) {
        return 0.0f;
    }
    const float value = narrowToFloat(parseValue(text.substr(first)));
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace kolven
