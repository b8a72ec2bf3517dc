#pragma once

#include <cstdint>
#include <string_view>

namespace kolven {

// The page the rule listings draw on: lines 16 pixels apart from a text cursor, a page bottom,
// and the "DALEJ" button that asks for the next page. The application draws it in its window;
// tests record it.
class TextPage {
public:
    virtual ~TextPage() = default;

    // Draws one line at the text cursor and moves the cursor down by kLineHeight.
    virtual void drawLine(std::string_view text) = 0;
    // Top of the text cursor, in pixels from the top of the page.
    virtual int cursorTop() const = 0;
    // Bottom edge of the page, in pixels from its top.
    virtual int pageBottom() const = 0;
    virtual void showNextButton() = 0;
    virtual void disableNextButton() = 0;
    // Ends the drawing pass; the cursor is kept for the next pass.
    virtual void endPass() = 0;

    static constexpr int kLineHeight = 16;
};

// Which listing "DALEJ" continues.
enum class ListingMode : std::uint8_t { Exhaustive = 0, Lem2 = 1 };

// Where the paged listings stand between pages.
struct ListingPosition {
    std::uint32_t exhaustiveOrder = 1;  // order whose header begins the next page
    std::uint32_t exhaustiveObject = 0; // object within that order
    std::uint32_t exhaustiveOffset = 0; // next entry, in 32-bit words, within that object's list
    std::uint32_t lem2Position = 0;     // next LEM2 rule to draw
    ListingMode listingMode = ListingMode::Exhaustive;
};

} // namespace kolven
