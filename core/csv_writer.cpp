#include "csv_writer.h"

#include <charconv>
#include <cstdint>

namespace kolven {

namespace {

void appendField(std::string& text, std::string_view field, bool quoteQuestionMark)
{
    const bool needsQuotes = field.empty() || field.find_first_of(",;\t\"\r\n") != std::string_view::npos ||
                             field.front() == ' ' || field.back() == ' ' || (quoteQuestionMark && field == "?");
    if (!needsQuotes) {
        text += field;
        return;
    }
    text += '"';
    for (char c : field) {
        text += c;
        if (c == '"') {
            text += '"';
        }
    }
    text += '"';
}

void appendNumber(std::string& text, float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

} // namespace

std::string csvText(const SystemDecyzyjny& table, const TableNames* names)
{
    if (names != nullptr && !names->fits(table)) {
        names = nullptr;
    }
    std::string text;
    for (std::uint32_t c = 0; c < table.rowLength; ++c) {
        if (c > 0) {
            text += ',';
        }
        if (names != nullptr) {
            appendField(text, names->columns[c].name, true);
        } else {
            text += c < table.attributeCount ? "a" + std::to_string(c + 1) : std::string("d");
        }
    }
    text += "\r\n";
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        for (std::uint32_t c = 0; c < table.rowLength; ++c) {
            if (c > 0) {
                text += ',';
            }
            const float value = table.row(object)[c];
            const NamedColumn* column = names != nullptr ? &names->columns[c] : nullptr;
            if (column != nullptr && column->nominal && value == kMissingValue) {
                text += '?';
            } else if (const std::string* label = column != nullptr ? column->labelOf(value) : nullptr) {
                appendField(text, *label, true);
            } else {
                appendNumber(text, value);
            }
        }
        text += "\r\n";
    }
    return text;
}

} // namespace kolven
