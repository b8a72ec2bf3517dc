#pragma once

#include "text_page.h"

#include <string>
#include <vector>

namespace kolven::testing {

// A TextPage of a chosen height that records what a listing draws, pass by pass.
class RecordingPage : public TextPage {
public:
    explicit RecordingPage(int bottom, int cursor = 0) : bottom_(bottom), cursor_(cursor) {}

    void drawLine(std::string_view text) override
    {
        lines.push_back({cursor_, std::string(text)});
        cursor_ += kLineHeight;
    }
    int cursorTop() const override { return cursor_; }
    int pageBottom() const override { return bottom_; }
    void showNextButton() override { buttonShown = true; }
    void disableNextButton() override { buttonDisabled = true; }
    void endPass() override { ++passesEnded; }

    // Starts a new page at the top: what the "DALEJ" click does before it continues a listing.
    void nextPage()
    {
        lines.clear();
        cursor_ = 0;
        buttonShown = false;
        buttonDisabled = false;
    }

    // The texts drawn on the current page, top to bottom.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& line : lines) {
            result.push_back(line.text);
        }
        return result;
    }

    struct Line {
        int top;
        std::string text;
    };
    std::vector<Line> lines;
    bool buttonShown = false;
    bool buttonDisabled = false;
    int passesEnded = 0;

private:
    int bottom_;
    int cursor_;
};

} // namespace kolven::testing
