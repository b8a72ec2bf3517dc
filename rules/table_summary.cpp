#include "table_summary.h"

#include "rule_terms.h"
#include "table_files.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kolven {

namespace {

// How often each value of column c occurs, values ascending (-0 counted with 0): sorted rather
// than kept in a tree, which a numeric column of a million different values makes slow.
std::vector<std::pair<float, std::uint32_t>> valueCounts(const SystemDecyzyjny& table, std::uint32_t c)
{
    std::vector<float> column(table.objectCount);
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        column[object] = table.row(object)[c];
    }
    std::sort(column.begin(), column.end());
    std::vector<std::pair<float, std::uint32_t>> counts;
    for (const float value : column) {
        if (!counts.empty() && counts.back().first == value) {
            ++counts.back().second;
        } else {
            counts.emplace_back(value, 1);
        }
    }
    return counts;
}

// One line per column of a named table: its number, its name and how often each of its values
// occurs ("?" for missing ones), or for a numeric column how many different numbers it holds.
std::string attributeSummary(const SystemDecyzyjny& table, const TableNames& names)
{
    std::string text = "Atrybuty:\n";
    for (std::uint32_t c = 0; c < table.rowLength; ++c) {
        const NamedColumn& column = names.columns[c];
        const auto counts = valueCounts(table, c);
        text += "  " + (c < table.attributeCount ? "a" + std::to_string(c + 1) : std::string("d")) + " ";
        appendWord(text, column.name);
        text += ":";
        if (!column.nominal) {
            text += " liczbowy, " + std::to_string(counts.size()) + " roznych wartosci\n";
            continue;
        }
        const char* separator = " ";
        for (const auto& [value, count] : counts) {
            text += separator;
            names.appendValue(text, c, value);
            text += " " + std::to_string(count);
            separator = ", ";
        }
        text += "\n";
    }
    return text;
}

} // namespace

std::string tableSummary(SystemDecyzyjny& table, const TableReadNotes& notes, const TableNames* names)
{
    std::string text = "Liczba obiektow: " + std::to_string(table.objectCount) + "\n";
    text += "Liczba atrybutow warunkowych: " + std::to_string(table.attributeCount) + "\n";
    if (notes.nonNumericValues > 0) {
        text += nonNumericWarning(notes.nonNumericValues) + "\n";
    }
    if (notes.weightedRows > 0) {
        text += "Wagi obiektow pominieto (wierszy z waga: " + std::to_string(notes.weightedRows) + "): kazdy obiekt liczy sie raz.\n";
    }
    if (names != nullptr) {
        text += attributeSummary(table, *names);
    }
    table.buildDecisionClasses();
    text += "Liczba klas decyzyjnych: " + std::to_string(table.classCount) + "\n";
    for (std::uint32_t c = 0; c < table.classCount; ++c) {
        text += "  ";
        appendDecisionTerm(text, table.classDecision(c), names);
        text += ": " + std::to_string(table.classSize(c)) + "\n";
    }
    table.releaseDecisionClasses();
    return text;
}

} // namespace kolven
