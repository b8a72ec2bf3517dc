#include "named_rows.h"

#include "table_files.h"
#include "text_format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

namespace kolven::named_rows {

std::string inQuotes(std::string_view text)
{
    return "\"" + printableExcerpt(text) + "\"";
}

bool refuse(ReadRefusal& refusal, std::uint64_t line, std::string what)
{
    refusal = {line, std::move(what)};
    return false;
}

bool numericValue(std::string_view text, bool missing, const NamedColumn& column, std::uint64_t line, float& value,
                  ReadRefusal& refusal)
{
    if (missing) {
        value = std::numeric_limits<float>::quiet_NaN();
        return true;
    }
    const NumberScan scan = scanNumber(text);
    if (!scan.found || scan.length != text.size()) {
        return refuse(refusal, line, "wartosc " + inQuotes(text) + " atrybutu liczbowego " + inQuotes(column.name) +
                                         " nie jest liczba");
    }
    value = static_cast<float>(scan.value);
    if (!std::isfinite(value)) {
        return refuse(refusal, line, "wartosc " + inQuotes(text) + " atrybutu " + inQuotes(column.name) +
                                         " nie jest skonczona liczba");
    }
    return true;
}

// Puts the chosen decision column last, the others keeping their order, and installs the table.
bool installNamed(NamedRows table, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
                  ReadRefusal& refusal)
{
    if (table.columns.empty()) {
        return refuse(refusal, table.namesLine, "plik nie nazywa zadnego atrybutu");
    }
    if (table.rows == 0) {
        return refuse(refusal, table.lastLine, "plik nie zawiera zadnego obiektu");
    }
    const std::size_t width = table.columns.size();
    if (table.missingNumbers > 0 && !table.keepMissing) {
        return refuse(refusal, table.firstMissingLine,
                      "brak wartosci atrybutu liczbowego " + inQuotes(table.columns[table.firstMissingColumn].name));
    }
    std::size_t chosen = width - 1;
    if (!decision.empty()) {
        const auto found = std::find_if(table.columns.begin(), table.columns.end(),
                                        [&](const NamedColumn& column) { return column.name == decision; });
        if (found == table.columns.end()) {
            return refuse(refusal, table.namesLine, "brak atrybutu decyzyjnego " + inQuotes(decision));
        }
        chosen = std::size_t(found - table.columns.begin());
    }
    if (chosen != width - 1) {
        for (auto row = table.values.begin(); row != table.values.end(); row += std::ptrdiff_t(width)) {
            std::rotate(row + std::ptrdiff_t(chosen), row + std::ptrdiff_t(chosen) + 1, row + std::ptrdiff_t(width));
        }
        std::rotate(table.columns.begin() + std::ptrdiff_t(chosen), table.columns.begin() + std::ptrdiff_t(chosen) + 1,
                    table.columns.end());
    }
    if (table.rows > UINT32_MAX || width > UINT32_MAX) {
        throw std::bad_alloc();
    }
    target.installValues(std::uint32_t(table.rows), std::uint32_t(width - 1), std::move(table.values));
    names.columns = std::move(table.columns);
    return true;
}

MissingNumbers missingNumbers(const NamedRows& table)
{
    MissingNumbers found{table.missingNumbers, {}, 0};
    if (table.missingNumbers > 0) {
        const std::size_t width = table.columns.size();
        found.firstColumn = table.columns[table.firstMissingColumn].name;
        for (std::size_t at = table.firstMissingColumn; at < table.values.size(); at += width) {
            found.inFirstColumn += std::isnan(table.values[at]) ? 1 : 0;
        }
    }
    return found;
}

std::string tooManyLabels(const NamedColumn& column)
{
    return "atrybut " + inQuotes(column.name) + " ma wiecej niz " + std::to_string(kMaxLabels) + " roznych wartosci";
}

std::string_view stripByteOrderMark(std::string_view text)
{
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.starts_with(kMark) ? text.substr(kMark.size()) : text;
}

std::string_view wideTextRefusal(std::string_view text)
{
    using namespace std::string_view_literals;
    if (text.starts_with("\xFF\xFE\0\0"sv) || text.starts_with("\0\0\xFE\xFF"sv)) {
        return kUtf32Refusal;
    }
    return isUtf16(text) ? kUtf16Refusal : std::string_view();
}

bool isUtf16(std::string_view text)
{
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

} // namespace kolven::named_rows
