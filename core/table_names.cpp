#include "table_names.h"

#include "text_format.h"

#include <unordered_map>

namespace kolven {

void appendWord(std::string& text, std::string_view word)
{
    if (word.find_first_of("\r\n") == std::string_view::npos) {
        text += word;
        return;
    }
    text += '"';
    for (const char c : word) {
        switch (c) {
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '"': text += "\\\""; break;
        case '\\': text += "\\\\"; break;
        default: text += c;
        }
    }
    text += '"';
}

void TableNames::appendValue(std::string& text, std::uint32_t column, float value) const
{
    const NamedColumn& named = columns[column];
    if (named.nominal && value == kMissingValue) {
        text += '?';
    } else if (const std::string* label = named.labelOf(value)) {
        appendWord(text, *label);
    } else {
        appendFixed(text, value, 3);
    }
}

void alignLabels(const TableNames& reference, SystemDecyzyjny& table, TableNames& names)
{
    if (reference.columns.size() != names.columns.size() || !names.fits(table)) {
        return;
    }
    for (std::size_t c = 0; c < names.columns.size(); ++c) {
        NamedColumn& own = names.columns[c];
        if (!own.nominal || !reference.columns[c].nominal) {
            continue;
        }
        std::vector<std::string> labels = reference.columns[c].labels;
        std::unordered_map<std::string, float> index;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            index.emplace(labels[i], float(i));
        }
        std::vector<float> renumbered(own.labels.size());
        for (std::size_t i = 0; i < own.labels.size(); ++i) {
            const auto [found, added] = index.emplace(own.labels[i], float(labels.size()));
            if (added) {
                labels.push_back(own.labels[i]);
            }
            renumbered[i] = found->second;
        }
        for (std::uint32_t object = 0; object < table.objectCount; ++object) {
            float& value = table.values[std::size_t(object) * table.rowLength + c];
            if (own.labelOf(value) != nullptr) {
                value = renumbered[std::size_t(value)];
            }
        }
        own.labels = std::move(labels);
    }
}

} // namespace kolven
