#include "grid_editor.h"

#include "checked_size.h"
#include "decision_system.h"
#include "parameter_dialog.h"
#include "table_files.h"
#include "text_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kolven {

namespace {

constexpr int kGridTop = 57;
constexpr int kRowPitch = 25;
constexpr int kMargin = 4;        // the buttons' and the row labels' distance from the left edge
constexpr int kCellPadding = 8;   // a field's frame, its inner margins and a pixel to spare each side
constexpr int kLabelPadding = 2;
constexpr int kWheelStep = 3;       // rows or columns a wheel notch moves
constexpr std::size_t kQuotedLength = 40; // a refused text is quoted up to this many bytes
constexpr std::size_t kListedWords = 12;  // a refusal lists at most this many words

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

GridEditor GridEditor::forNewSystem(std::uint32_t rows, std::uint32_t attributes)
{
    std::vector<float> zeros(checkedCount({rows, std::uint64_t(attributes) + 1}), 0.0f);
    return GridEditor(kCreateSystemCaption, rows, attributes, std::move(zeros));
}

GridEditor GridEditor::forSystem(const SystemDecyzyjny& system, const TableNames* names)
{
    GridEditor editor(kModifySystemCaption, system.objectCount, system.attributeCount, system.values);
    if (names && names->fits(system)) {
        editor.named_ = names->columns;
    }
    editor.filled_ = true;
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
      cells_(std::size_t(visibleRows_) * std::size_t(visibleColumns_)),
      typed_(cells_.size(), false)
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
    return hasHorizontalBar() ? int(columnCount_) - visibleColumns_ : 0;
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
    return labelOfColumn(firstColumn_ + std::uint32_t(c));
}

std::string GridEditor::labelOfColumn(std::uint32_t column) const
{
    if (!named_.empty()) {
        return named_[column].name;
    }
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
    typed_[std::size_t(r) * std::size_t(visibleColumns_) + std::size_t(c)] = true;
}

std::string GridEditor::positionText() const
{
    if (!hasHorizontalBar()) {
        return {};
    }
    std::string text = "Kolumny " + std::to_string(firstColumn_ + 1) + "-" +
                       std::to_string(firstColumn_ + std::uint32_t(visibleColumns_)) + " z " +
                       std::to_string(columnCount_) + ", decyzja w kolumnie " + std::to_string(columnCount_);
    if (hasVerticalBar()) {
        text += "; wiersze " + std::to_string(firstRow_ + 1) + "-" +
                std::to_string(firstRow_ + std::uint32_t(visibleRows_)) + " z " + std::to_string(rowCount_);
    }
    return text;
}

ControlBox GridEditor::positionBox() const
{
    const ControlBox cancel = cancelBox();
    const int left = cancel.x + cancel.width + 2 * kMargin;
    return {left, cancel.y + 6, std::max(0, minimumClientWidth() - left - kMargin), 16};
}

bool GridEditor::scrollByWheel(int notches, bool columns)
{
    const std::int64_t first = columns ? firstColumn_ : firstRow_;
    const std::int64_t target = std::clamp<std::int64_t>(first + std::int64_t(notches) * kWheelStep, 0, INT32_MAX);
    return columns ? scrollColumns(ScrollRequest::Thumb, int(target)) : scrollRows(ScrollRequest::Thumb, int(target));
}

void GridEditor::limitVisibleColumns(int clientWidth)
{
    if (!hasHorizontalBar()) {
        return;
    }
    int columns = visibleColumns_;
    while (columns > 1 && minimumClientWidth() > clientWidth) {
        visibleColumns_ = --columns;
    }
    firstColumn_ = std::min(firstColumn_, columnCount_ - std::uint32_t(visibleColumns_));
    cells_.assign(std::size_t(visibleRows_) * std::size_t(visibleColumns_), std::string());
    typed_.assign(cells_.size(), false);
    if (filled_) {
        fillVisibleCells();
    }
}

std::string GridEditor::textOfValue(std::uint32_t column, float value) const
{
    if (!named_.empty() && named_[column].nominal) {
        if (value == kMissingValue) {
            return "?";
        }
        if (const std::string* word = named_[column].labelOf(value)) {
            return *word;
        }
    }
    return cellTextOf(value);
}

std::optional<float> GridEditor::valueOfText(std::uint32_t column, std::string_view text) const
{
    if (named_.empty() || !named_[column].nominal) {
        return valueOfTypedText(text);
    }
    const std::string_view word = trimmed(text);
    if (word == "?") {
        return kMissingValue;
    }
    const std::vector<std::string>& words = named_[column].labels;
    const auto found = std::find(words.begin(), words.end(), word);
    if (found == words.end()) {
        return std::nullopt;
    }
    return float(found - words.begin());
}

std::string GridEditor::refusalText(std::uint32_t row, std::uint32_t column, const std::string& text) const
{
    std::string quoted = text.size() > kQuotedLength ? text.substr(0, kQuotedLength) + "..." : text;
    std::string message = "Wartosc \"" + quoted + "\" (wiersz O" + std::to_string(row + 1) + ", kolumna " +
                          labelOfColumn(column) + ") ";
    if (named_.empty() || !named_[column].nominal) {
        return message + "nie jest liczba. Wpisz liczbe dziesietna, np. 2.5 lub 2,5, "
                         "co do wartosci bezwzglednej nie wieksza niz 3.4e38.";
    }
    message += "nie jest wartoscia tego atrybutu. Wpisz jedna z: ";
    const std::vector<std::string>& words = named_[column].labels;
    for (std::size_t i = 0; i < words.size() && i < kListedWords; ++i) {
        message += words[i] + ", ";
    }
    if (words.size() > kListedWords) {
        message += "..., ";
    }
    return message + "albo ? (brak wartosci).";
}

std::size_t GridEditor::valueIndex(int r, int c) const
{
    return (std::size_t(firstRow_) + std::size_t(r)) * columnCount_ + firstColumn_ + std::size_t(c);
}

void GridEditor::storeVisibleCells()
{
    for (int r = 0; r < visibleRows_; ++r) {
        for (int c = 0; c < visibleColumns_; ++c) {
            const std::size_t index = valueIndex(r, c);
            const std::uint32_t column = firstColumn_ + std::uint32_t(c);
            const std::string& text = cellText(r, c);
            refused_.erase(index);
            if (typed_[std::size_t(r) * std::size_t(visibleColumns_) + std::size_t(c)]) {
                if (const auto value = valueOfText(column, text)) {
                    values_[index] = *value;
                } else {
                    refused_.emplace(index, text);
                }
            } else if (named_.empty() || !named_[column].nominal) {
                // A shown number stands for the value its text holds; a new table's empty field
                // for the zero it was made with.
                values_[index] = valueOfCellText(text);
            }
        }
    }
}

void GridEditor::fillVisibleCells()
{
    for (int r = 0; r < visibleRows_; ++r) {
        for (int c = 0; c < visibleColumns_; ++c) {
            const std::size_t index = valueIndex(r, c);
            const auto kept = refused_.find(index);
            const bool refused = kept != refused_.end();
            cell(r, c) = refused ? kept->second : textOfValue(firstColumn_ + std::uint32_t(c), values_[index]);
            typed_[std::size_t(r) * std::size_t(visibleColumns_) + std::size_t(c)] = refused;
        }
    }
}

bool GridEditor::scrollColumns(ScrollRequest request, int trackPosition)
{
    return hasHorizontalBar() &&
           scrollTo(firstColumn_, scrolledPosition(request, firstColumn_, columnCount_, std::uint32_t(visibleColumns_),
                                                   trackPosition));
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
    accepted_ = refused_.empty();
    refusal_.clear();
    if (accepted_) {
        return;
    }
    // The first refused field in the table's order is named and brought into view.
    const auto& [index, text] = *refused_.begin();
    const auto row = std::uint32_t(index / columnCount_);
    const auto column = std::uint32_t(index % columnCount_);
    refusal_ = refusalText(row, column, text);
    if (row < firstRow_ || row >= firstRow_ + std::uint32_t(visibleRows_)) {
        scrollTo(firstRow_, std::min(row, rowCount_ - std::uint32_t(visibleRows_)));
    }
    if (column < firstColumn_ || column >= firstColumn_ + std::uint32_t(visibleColumns_)) {
        scrollTo(firstColumn_, std::min(column, columnCount_ - std::uint32_t(visibleColumns_)));
    }
    refusedRow_ = int(row - firstRow_);
    refusedColumn_ = int(column - firstColumn_);
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

std::optional<float> valueOfTypedText(std::string_view text)
{
    std::string number(trimmed(text));
    // A decimal comma, the usual one in Polish, stands for the point; a second separator does not.
    if (const auto comma = number.find(','); comma != std::string::npos && number.find('.') == std::string::npos &&
                                              number.find(',', comma + 1) == std::string::npos) {
        number[comma] = '.';
    }
    std::string_view digits = number;
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') {
        digits.remove_prefix(1);
    }
    // Only digits, signs, a point and an exponent: no "inf", "nan" or hexadecimal numbers.
    if (digits.empty() || digits.find_first_not_of("0123456789+-.eE") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    const float narrowed = narrowToFloat(value);
    if (!std::isfinite(narrowed)) {
        return std::nullopt;
    }
    return narrowed;
}

} // namespace kolven
