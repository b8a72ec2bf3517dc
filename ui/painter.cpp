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
