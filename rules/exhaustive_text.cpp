#include "ercim.h"

#include "rule_terms.h"
#include "listed_rules.h"
#include "text_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kolven {

namespace {

// A header needs room above the page bottom for itself and one rule line (a rule line only needs
// to stay clear of "DALEJ": TextPage::full).
constexpr int kHeaderRoom = 60;

std::string orderHeader(std::uint32_t order)
{
    return "Rzad: " + std::to_string(order);
}

std::size_t entryWords(std::uint32_t order)
{
    return std::size_t(order) + 1;
}

// Calls visit(entry) for each entry of object's list at order that prints a line (support above 0),
// in list order: the rules the export and the listing show.
template <typename Visit>
void forEachPrintedEntry(const ERCIM& ercim, std::uint32_t order, std::uint32_t object, Visit visit)
{
    const std::span<const std::uint32_t> words = ercim.ruleListWords(order, object);
    for (std::size_t offset = 0; offset + entryWords(order) < words.size(); offset += entryWords(order)) {
        const std::uint32_t* entry = words.data() + offset;
        if (entry[order] != 0) {
            visit(entry);
        }
    }
}

// Appends the text exhaustiveRuleLine gives to line, which may hold earlier lines.
void appendRuleLine(std::string& line, const ERCIM& ercim, std::uint32_t object, const std::uint32_t* entry,
                    std::uint32_t order, const TableNames* names)
{
    const std::size_t lineStart = line.size();
    for (std::uint32_t i = 0; i < order; ++i) {
        line += ' ';
        appendConditionTerm(line, entry[i], ercim.value(object, entry[i]), names);
        line += " &";
    }
    if (line.size() > lineStart) {
        line.pop_back(); // the "&" after the last condition; its blank stays before the arrow
    }
    line += "=> ";
    appendDecisionTerm(line, ercim.decision(object), names);
    const std::uint32_t support = entry[order];
    if (support > 1) {
        line += " [";
        char digits[16];
        line.append(digits, std::to_chars(digits, digits + sizeof digits, support).ptr);
        line += ']';
    }
}

// The pieces of one object's rule lines, each made once however many rules use it: " term &"
// for a condition on an attribute, made when a rule first needs it, and "=> term" for the
// decision. A line is then copied together from them, the same text appendRuleLine makes.
class ObjectPieces {
public:
    ObjectPieces(const ERCIM& ercim, const TableNames* names)
        : ercim_(ercim), names_(names), madeIn_(ercim.attributeCount, 0), pieces_(ercim.attributeCount),
          slots_(std::size_t(ercim.attributeCount) * kSlot, ' ')
    {
    }

    void appendLines(std::string& text, std::uint32_t order, std::uint32_t object)
    {
        forEachPrintedEntry(ercim_, order, object, [&](const std::uint32_t* entry) {
            if (round_ == 0 || object != object_) {
                start(object);
            }
            // A line of short pieces is put together in a buffer, each piece copied as a whole
            // slot, and appended at once; a longer one piece by piece.
            char line[kLineRoom];
            char* end = line;
            bool inSlots = order <= kSlotLines && decision_.size() <= kSlot;
            for (std::uint32_t i = 0; i < order && inSlots; ++i) {
                const Piece piece = condition(entry[i]);
                inSlots = piece.length <= kSlot;
                if (inSlots) {
                    std::memcpy(end, slots_.data() + std::size_t(entry[i]) * kSlot, kSlot);
                    end += piece.length;
                }
            }
            if (inSlots) {
                --end; // the "&" after the last condition; its blank stays before the arrow
                std::memcpy(end, decisionSlot_.data(), kSlot);
                end += decision_.size();
            } else {
                end = line;
                for (std::uint32_t i = 0; i < order; ++i) {
                    const Piece piece = condition(entry[i]);
                    text.append(texts_.data() + piece.begin, piece.length - (i + 1 == order ? 1 : 0));
                }
                text += decision_;
            }
            const std::uint32_t support = entry[order];
            if (support > 1) {
                *end++ = ' ';
                *end++ = '[';
                end = std::to_chars(end, end + 10, support).ptr;
                *end++ = ']';
            }
            std::memcpy(end, kLineEnd.data(), kLineEnd.size());
            end += kLineEnd.size();
            text.append(line, end);
        });
    }

private:
    struct Piece {
        std::size_t begin = 0;
        std::size_t length = 0;
    };

    // A slot holds a piece of up to kSlot characters; a line of up to kSlotLines of them, the
    // decision, the support and the line end fits the buffer with a slot to spare.
    static constexpr std::size_t kSlot = 32;
    static constexpr std::size_t kSlotLines = 60;
    static constexpr std::size_t kLineRoom = (kSlotLines + 2) * kSlot + 16;

    void start(std::uint32_t object)
    {
        object_ = object;
        ++round_;
        texts_.clear();
        decision_ = "=> ";
        appendDecisionTerm(decision_, ercim_.decision(object), names_);
        decisionSlot_.fill(' ');
        std::memcpy(decisionSlot_.data(), decision_.data(), std::min(decision_.size(), kSlot));
    }

    Piece condition(std::uint32_t attribute)
    {
        if (madeIn_[attribute] != round_) {
            madeIn_[attribute] = round_;
            const std::size_t begin = texts_.size();
            texts_ += ' ';
            appendConditionTerm(texts_, attribute, ercim_.value(object_, attribute), names_);
            texts_ += " &";
            pieces_[attribute] = {begin, texts_.size() - begin};
            char* slot = slots_.data() + std::size_t(attribute) * kSlot;
            std::fill(slot, slot + kSlot, ' ');
            std::memcpy(slot, texts_.data() + begin, std::min(texts_.size() - begin, kSlot));
        }
        return pieces_[attribute];
    }

    const ERCIM& ercim_;
    const TableNames* names_;
    std::uint32_t object_ = 0;
    std::uint64_t round_ = 0; // counts the objects started; 0 before the first
    std::vector<std::uint64_t> madeIn_; // the round in which each attribute's piece was made
    std::vector<Piece> pieces_;
    std::vector<char> slots_; // each attribute's piece again, in a slot of its own
    std::string texts_;
    std::string decision_;
    std::array<char, kSlot> decisionSlot_{};
};

bool noRoomForHeader(const TextPage& page)
{
    return page.cursorTop() > page.pageBottom() - kHeaderRoom;
}

// Ends a full page; the next one begins with the header of order.
bool breakPage(ListingPosition& position, std::uint32_t order, TextPage& page)
{
    position.exhaustiveOrder = order;
    return page.endPageToBeContinued();
}

// Draws the printed entries of one object from the saved offset. Returns false when a line filled
// the page, leaving the offset on that entry so that the next page shows it again.
bool drawObjectLines(const ERCIM& ercim, std::uint32_t order, ListingPosition& position, TextPage& page,
                     const TableNames* names)
{
    const std::uint32_t object = position.exhaustiveObject;
    const std::span<const std::uint32_t> words = ercim.ruleListWords(order, object);
    while (position.exhaustiveOffset + entryWords(order) < words.size()) {
        const std::uint32_t* entry = words.data() + position.exhaustiveOffset;
        if (entry[order] != 0) {
            page.drawLine(exhaustiveRuleLine(ercim, object, entry, order, names));
            if (page.full()) {
                return false;
            }
        }
        position.exhaustiveOffset += static_cast<std::uint32_t>(entryWords(order));
    }
    position.exhaustiveOffset = 0;
    return true;
}

// Draws the rule lines of one order from the saved object. Returns false when the page filled.
bool drawOrderLines(const ERCIM& ercim, std::uint32_t order, ListingPosition& position, TextPage& page,
                    const TableNames* names)
{
    if (position.exhaustiveObject >= ercim.objectCount) {
        position.exhaustiveObject = 0; // the previous page finished the order before this one
    }
    for (; position.exhaustiveObject < ercim.objectCount; ++position.exhaustiveObject) {
        if (!drawObjectLines(ercim, order, position, page, names)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string exhaustiveRuleLine(const ERCIM& ercim, std::uint32_t object, const std::uint32_t* entry, std::uint32_t order,
                               const TableNames* names)
{
    std::string line;
    appendRuleLine(line, ercim, object, entry, order, names);
    return line;
}

std::string exhaustiveExportText(const ERCIM& ercim, const TableNames* names)
{
    // Room for the usual lines made at once, so that a text of many megabytes is not copied as it
    // grows (pages reserved but never written cost no memory).
    std::size_t room = 64;
    for (std::uint32_t order = 1; order <= ercim.order; ++order) {
        for (std::uint32_t object = 0; object < ercim.objectCount; ++object) {
            room += ercim.ruleListWords(order, object).size() / entryWords(order) * (20 * order + 32);
        }
    }
    std::string text;
    text.reserve(room);
    text += elapsedTimeLine(ercim.elapsedSeconds);
    ObjectPieces pieces(ercim, names);
    for (std::uint32_t order = 1; order <= ercim.order; ++order) {
        text += orderHeader(order);
        text += kLineEnd;
        for (std::uint32_t object = 0; object < ercim.objectCount; ++object) {
            pieces.appendLines(text, order, object);
        }
    }
    return text;
}

bool hasExhaustiveRules(const ERCIM& ercim)
{
    bool found = false;
    for (std::uint32_t order = 1; order <= ercim.order && !found; ++order) {
        for (std::uint32_t object = 0; object < ercim.objectCount && !found; ++object) {
            forEachPrintedEntry(ercim, order, object, [&](const std::uint32_t*) { found = true; });
        }
    }
    return found;
}

std::vector<ListedRule> listedRules(const ERCIM& ercim, const TableNames* names)
{
    std::vector<ListedRule> rules;
    for (std::uint32_t order = 1; order <= ercim.order; ++order) {
        for (std::uint32_t object = 0; object < ercim.objectCount; ++object) {
            forEachPrintedEntry(ercim, order, object, [&](const std::uint32_t* entry) {
                ListedRule listed{{}, exhaustiveRuleLine(ercim, object, entry, order, names)};
                for (std::uint32_t i = 0; i < order; ++i) {
                    listed.rule.conditions.push_back({entry[i], ercim.value(object, entry[i])});
                }
                listed.rule.decisions.push_back(ercim.decision(object));
                listed.rule.support = entry[order];
                rules.push_back(std::move(listed));
            });
        }
    }
    return rules;
}

bool listExhaustiveRules(const ERCIM& ercim, ListingPosition& position, TextPage& page, const TableNames* names)
{
    position.listingMode = ListingMode::Exhaustive;
    for (std::uint32_t order = std::max(position.exhaustiveOrder, 1u); order <= ercim.order; ++order) {
        if (noRoomForHeader(page)) {
            return breakPage(position, order, page);
        }
        page.drawLine(orderHeader(order));
        if (!drawOrderLines(ercim, order, position, page, names)) {
            return breakPage(position, order, page);
        }
    }
    position.exhaustiveOrder = 1;
    position.exhaustiveObject = 0;
    position.exhaustiveOffset = 0;
    return page.endListing();
}

} // namespace kolven
