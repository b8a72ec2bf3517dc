#pragma once

#include "text_page.h"

#include <string>
#include <string_view>

namespace kolven {

// What both window adapters draw the same way, whatever the platform: the title, the "DALEJ"
// button and where it stands, the page's margin and the distance between lines.

inline constexpr std::string_view kWindowTitle = "KOLVEN - Merivant";
inline constexpr std::string_view kNextButtonText = "DALEJ";

// The "DALEJ" button: x 4, 60 x kNextButtonHeight, standing on the page bottom.
inline constexpr int kNextButtonX = 4;
inline constexpr int kNextButtonWidth = 60;
inline constexpr int kNextButtonHeight = 28;
constexpr int nextButtonTop(int pageBottom) { return pageBottom - kNextButtonHeight; }

// The page ends this far above the bottom of the window's text area.
inline constexpr int kPageMargin = 6;
// Lines of one text are this far apart, on the page and in the window.
inline constexpr int kLineHeight = TextPage::kLineHeight;

// A menu text as it is to be shown: a "&" is doubled so that it never becomes a mnemonic.
inline std::string literalMenuText(std::string_view text)
{
    std::string shown;
    for (char c : text) {
        shown += c;
        if (c == '&') {
            shown += '&';
        }
    }
    return shown;
}

} // namespace kolven
