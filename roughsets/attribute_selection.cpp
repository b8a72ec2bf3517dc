#include "attribute_selection.h"

#include <algorithm>

namespace kolven {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The condition attribute item names: a name of a table with names first, then a number from 1.
std::optional<std::uint32_t> attributeOf(std::string_view item, const SystemDecyzyjny& table, const TableNames& names)
{
    if (names.fits(table)) {
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            if (names.columns[a].name == item) {
                return a;
            }
        }
    }
    if (item.empty() || item.size() > 10 || !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const std::uint64_t number = std::stoull(std::string(item));
    if (number < 1 || number > table.attributeCount) {
        return std::nullopt;
    }
    return std::uint32_t(number - 1);
}

} // namespace

std::optional<std::string> parseAttributeList(std::string_view list, const SystemDecyzyjny& table,
                                              const TableNames& names, std::vector<std::uint32_t>& attributes)
{
    if (trimmed(list).empty()) {
        return std::string("pusta lista atrybutow.");
    }
    std::vector<std::uint32_t> found;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        const std::string_view item = trimmed(list.substr(start, comma == std::string_view::npos ? list.npos : comma - start));
        if (item.empty()) {
            return std::string("pusty element listy atrybutow.");
        }
        const auto attribute = attributeOf(item, table, names);
        if (!attribute) {
            return "nieznany atrybut warunkowy \"" + std::string(item) + "\"; " +
                   (table.attributeCount == 0 ? std::string("tabela nie ma atrybutow warunkowych.")
                                              : "numery atrybutow warunkowych: od 1 do " +
                                                    std::to_string(table.attributeCount) + ".");
        }
        if (std::find(found.begin(), found.end(), *attribute) != found.end()) {
            return "atrybut \"" + std::string(item) + "\" podany wiecej niz raz.";
        }
        found.push_back(*attribute);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    std::sort(found.begin(), found.end());
    attributes = std::move(found);
    return std::nullopt;
}

void keepAttributes(SystemDecyzyjny& table, const std::vector<std::uint32_t>& kept)
{
    const auto width = std::uint32_t(kept.size());
    std::vector<float> matrix;
    matrix.reserve(std::size_t(table.objectCount) * (width + 1));
    for (std::uint32_t o = 0; o < table.objectCount; ++o) {
        for (std::uint32_t a : kept) {
            matrix.push_back(table.value(o, a));
        }
        matrix.push_back(table.decision(o));
    }
    table.installValues(table.objectCount, width, std::move(matrix));
}

TableNames keptNames(const TableNames& names, const std::vector<std::uint32_t>& kept)
{
    TableNames reduced;
    for (std::uint32_t a : kept) {
        reduced.columns.push_back(names.columns[a]);
    }
    reduced.columns.push_back(names.columns.back());
    return reduced;
}

TableNames numberedNames(const std::vector<std::uint32_t>& kept)
{
    TableNames numbered;
    for (std::uint32_t a : kept) {
        std::string name = "a";
        name += std::to_string(std::uint64_t(a) + 1);
        numbered.columns.push_back({name, false, {}});
    }
    numbered.columns.push_back({"d", false, {}});
    return numbered;
}

} // namespace kolven
