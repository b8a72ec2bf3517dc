#pragma once

#include "decision_system.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// The value of a nominal attribute whose value is missing ("?" in the file); shown as "?".
inline constexpr float kMissingValue = -1.0f;

// One column of a table read with names: its name and, for a nominal column, its value labels
// (the value i stands for labels[i]). A numeric column keeps its numbers.
struct NamedColumn {
    std::string name;
    bool nominal = false;
    std::vector<std::string> labels;

    // The label a value of a nominal column stands for; null for a numeric column, a missing
    // value, or a value that names no label (one typed into the grid, say).
    const std::string* labelOf(float value) const
    {
        const bool names = nominal && value >= 0 && value < float(labels.size()) && float(std::size_t(value)) == value;
        return names ? &labels[std::size_t(value)] : nullptr;
    }

    bool operator==(const NamedColumn&) const = default;
};

// Attribute names and value labels of a table read from .csv or .arff. They are kept beside the
// decision table, which the algorithms read unchanged: one column per condition attribute in
// order, then the decision. Empty for a table without names (.msd, .tab, typed, generated).
struct TableNames {
    std::vector<NamedColumn> columns;

    bool empty() const { return columns.empty(); }
    // True when the names hold one column for each column of table, the decision included.
    bool fits(const SystemDecyzyjny& table) const { return columns.size() == std::size_t(table.rowLength); }
    // Appends how a value of a column is shown: a nominal value by its label ("?" when missing),
    // a numeric one, or a nominal one without a label, as "%.3f".
    void appendValue(std::string& text, std::uint32_t column, float value) const;

    bool operator==(const TableNames&) const = default;
};

// Appends a name or a label as rules and listings show it: as it is, or, when it holds a line
// break that would split the line, in quotes with the break written \n (\r, \", \\ likewise).
void appendWord(std::string& text, std::string_view word);

// The names a text builder is given: names when shown is set and they describe the table,
// otherwise none, so that the numbered form is printed.
inline const TableNames* namesToShow(const TableNames& names, const SystemDecyzyjny& table, bool shown)
{
    return shown && !names.empty() && names.fits(table) ? &names : nullptr;
}

// Renumbers the nominal values of table (described by names) to the labels of reference, column
// by column where both are nominal, so that equal words get equal values in both tables; words
// reference lacks get values after its own. Used for a test table read beside a named decision
// table. Nothing changes when the two do not have the same number of columns.
void alignLabels(const TableNames& reference, SystemDecyzyjny& table, TableNames& names);

} // namespace kolven
