#include "painter.h"

#include "app_state.h"
#include "text_format.h"

#include <algorithm>

namespace kolven {

void Painter::beginDrawing()
{
    screen_.clearText();
    cursorX_ = state_.savedCursorX;
    cursorY_ = state_.savedCursorY;
}

void Painter::endDrawing()
{
    state_.savedCursorX = cursorX_;
    state_.savedCursorY = cursorY_;
    screen_.flush();
}

void Painter::drawElapsedTime(double seconds)
{
    // On screen the line ends where it is drawn; its line end belongs to files.
    std::string line = elapsedTimeLine(seconds);
    if (line.ends_with(kLineEnd)) {
        line.resize(line.size() - kLineEnd.size());
    }
    drawLine(line);
}

void Painter::drawWaitMessage()
{
    drawLine(kWaitMessage);
}

void Painter::clearWindow()
{
    screen_.clearText();
    screen_.flush();
}

void Painter::drawAbout()
{
    screen_.clearText();
    int top = kAboutTop;
    std::string_view rest = kAboutText;
    for (;;) {
        const auto end = rest.find('\n');
        screen_.drawCentered(top, rest.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
        top += kLineHeight;
    }
    screen_.flush();
}

void Painter::drawBlock(std::string_view text)
{
    screen_.drawText(cursorX_, cursorY_, text);
}

void Painter::drawColumns(int firstLine, const std::vector<std::vector<std::string>>& rows)
{
    // A column of long words (a decision's labels) is widened so that they do not run into the
    // next one; numbers and "nie chwycone" keep the columns kColumnWidth apart.
    std::vector<int> lefts;
    for (const auto& cells : rows) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (lefts.size() <= column + 1) {
                lefts.resize(column + 2, 0);
            }
            const int width = std::max(kColumnWidth, int(cells[column].size()) * kWidestCharacter);
            lefts[column + 1] = std::max(lefts[column + 1], width);
        }
    }
    for (std::size_t column = 1; column < lefts.size(); ++column) {
        lefts[column] += lefts[column - 1];
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            screen_.drawText(cursorX_ + lefts[column], cursorY_ + (firstLine + int(row)) * kLineHeight, rows[row][column]);
        }
    }
}

void Painter::drawLine(std::string_view text)
{
    screen_.drawText(cursorX_, cursorY_, text);
    cursorY_ += kLineHeight;
}

int Painter::pageBottom() const
{
    if (!pageBottom_) {
        pageBottom_ = std::max(screen_.pageBottom(), kShortestPageBottom);
    }
    return *pageBottom_;
}

void Painter::showNextButton()
{
    setNextButtonVisible(true);
}

void Painter::disableNextButton()
{
    setNextButtonEnabled(false);
}

void Painter::setNextButtonVisible(bool visible)
{
    buttonVisible_ = visible;
    screen_.setNextButtonVisible(visible);
}

void Painter::setNextButtonEnabled(bool enabled)
{
    buttonEnabled_ = enabled;
    screen_.setNextButtonEnabled(enabled);
}

} // namespace kolven
