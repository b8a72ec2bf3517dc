#pragma once

#include "screen.h"
#include "text_page.h"
#include "window_layout.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

struct AppState;

inline constexpr std::string_view kWaitMessage = "Prosze czekac, trwa wykonywanie obliczen.";
// The About view: three lines (the second empty), centred, the first at kAboutTop.
inline constexpr std::string_view kAboutText =
    "KOLVEN - Merivant v1.4\n\nReguły decyzyjne i klasyfikacja k-NN dla systemów decyzyjnych";
inline constexpr int kAboutTop = 200;
// The shortest page the listings are given: room for a carried order header, the repeated last
// rule line and one new line above "DALEJ", so every page moves the listing on.
inline constexpr int kShortestPageBottom = 3 * TextPage::kLineHeight + kNextButtonHeight;

// Draws into the main window in passes: each pass erases the window and draws lines 16 pixels
// apart from a text cursor, which starts at the cursor saved by the previous pass and is saved
// again when the pass ends. It is also the page the rule listings draw on, and it keeps the state
// of the "DALEJ" button.
class Painter : public TextPage {
public:
    Painter(AppState& state, Screen& screen) : state_(state), screen_(screen) {}

    // Begins a pass: erases the window and takes the saved cursor.
    void beginDrawing();
    // Ends the pass: saves the cursor and makes what was drawn visible at once.
    void endDrawing();
    // Draws the elapsed-time line of a result and moves down one line.
    void drawElapsedTime(double seconds);
    // Draws kWaitMessage and moves down one line.
    void drawWaitMessage();
    // A pass of its own: the window all grey; the saved cursor is kept.
    void clearWindow();
    // A pass of its own: kAboutText centred from kAboutTop; the saved cursor is kept.
    void drawAbout();
    // Draws a text of several lines ('\n') at the cursor without moving it, as one block.
    void drawBlock(std::string_view text);
    // Draws rows of cells without moving the cursor, the first row firstLine lines below it, each
    // cell at the left of its column; columns are kColumnWidth pixels apart, so that a table reads
    // aligned in the window's proportional font.
    void drawColumns(int firstLine, const std::vector<std::vector<std::string>>& rows);
    static constexpr int kColumnWidth = 100;
    // The most a character of the window's font takes, in pixels: a column of longer cells is
    // widened to hold them.
    static constexpr int kWidestCharacter = 9;

    // TextPage: the listings' lines, page bottom and "DALEJ".
    void drawLine(std::string_view text) override;
    int cursorTop() const override { return cursorY_; }
    // The screen's page bottom, taken once, when the first listing needs it (the window is
    // maximized by then and stays so), and never less than kShortestPageBottom.
    int pageBottom() const override;
    void showNextButton() override;
    void disableNextButton() override;
    void endPass() override { endDrawing(); }

    // "DALEJ", shown or hidden and enabled or disabled; the painter remembers its state.
    void setNextButtonVisible(bool visible);
    void setNextButtonEnabled(bool enabled);
    bool nextButtonVisible() const { return buttonVisible_; }
    bool nextButtonEnabled() const { return buttonEnabled_; }

private:
    AppState& state_;
    Screen& screen_;
    int cursorX_ = 0;
    int cursorY_ = 0;
    mutable std::optional<int> pageBottom_;
    bool buttonVisible_ = false;
    bool buttonEnabled_ = true;
};

} // namespace kolven
