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

    // True once the cursor is so low that a further line would reach "DALEJ" at the foot of
    // the page: a listing of lines ends its page there.
    bool full() const { return cursorTop() > pageBottom() - kFootRoom; }
    // Ends a page the listing goes on from: "DALEJ" shown, the pass ended. Returns false, for a
    // listing not yet complete.
    bool endPageToBeContinued()
    {
        showNextButton();
        endPass();
        return false;
    }
    // Ends the last page of a listing: "DALEJ" disabled, the pass ended. Returns true.
    bool endListing()
    {
        disableNextButton();
        endPass();
        return true;
    }

    static constexpr int kLineHeight = 16;
    static constexpr int kFootRoom = 44;
};

// Which listing "DALEJ" continues.
enum class ListingMode : std::uint8_t { Exhaustive = 0, Lem2 = 1, Text = 2 };

// Where the paged listings stand between pages.
struct ListingPosition {
    std::uint32_t exhaustiveOrder = 1;  // order whose header begins the next page
    std::uint32_t exhaustiveObject = 0; // object within that order
    std::uint32_t exhaustiveOffset = 0; // next entry, in 32-bit words, within that object's list
    std::uint32_t lem2Position = 0;     // next LEM2 rule to draw
    std::uint32_t textLine = 0;         // next line of a paged text (ListingMode::Text)
    ListingMode listingMode = ListingMode::Exhaustive;
};

// Draws the lines of text ('\n' between them) from position.textLine until the page is full,
// as the LEM2 listing draws its rules: "DALEJ" shown while lines remain, disabled after the last.
// Returns true once the last line is drawn (and starts the position over).
bool listTextLines(std::string_view text, ListingPosition& position, TextPage& page);

} // namespace kolven
