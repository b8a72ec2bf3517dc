#include "text_page.h"

namespace kolven {

bool listTextLines(std::string_view text, ListingPosition& position, TextPage& page)
{
    position.listingMode = ListingMode::Text;
    std::size_t start = 0;
    for (std::uint32_t skipped = 0; skipped < position.textLine && start != std::string_view::npos; ++skipped) {
        start = text.find('\n', start);
        start = start == std::string_view::npos ? start : start + 1;
    }
    while (start != std::string_view::npos) {
        const std::size_t end = text.find('\n', start);
        page.drawLine(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        ++position.textLine;
        start = end == std::string_view::npos ? end : end + 1;
        if (start != std::string_view::npos && page.full()) {
            return page.endPageToBeContinued();
        }
    }
    position.textLine = 0;
    return page.endListing();
}

} // namespace kolven
