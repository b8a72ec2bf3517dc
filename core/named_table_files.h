#pragma once

#include "decision_system.h"
#include "table_names.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kolven {

// Why a table file was refused: the line where the fault stands (from 1) and what is wrong.
struct ReadRefusal {
    std::uint64_t line = 0;
    std::string what;
};

// Reads a .csv table: the first row names the attributes; the separator (",", ";" or tab) is
// the one the header line uses most; fields may be quoted ("" inside is one quote); a UTF-8 byte
// order mark is skipped. A column whose values are all numbers is numeric, read as .tab values
// are; any other is nominal, its words numbered in order of first appearance. An empty field or
// "?" is missing: -1 in a nominal column, refused in a numeric one. The column named decision
// (the last one when decision is empty) becomes the decision. Returns false, leaving target and
// names as they were and saying why in refusal, when the text is not such a table.
bool parseCsv(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
              ReadRefusal& refusal);

// Reads an .arff table: @relation, @attribute NAME {labels} or numeric, real, integer, then
// @data rows; "%" lines are comments, keywords and types ignore case, names and values may be
// quoted. Nominal values are numbered in their declared order from 0; "?" is missing as in
// parseCsv. Sparse rows and string, date and relational attributes are refused. The decision is
// chosen as in parseCsv; a refusal leaves target and names as they were.
bool parseArff(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
               ReadRefusal& refusal);

// The table as .csv text (comma separated, CR LF line ends): a header of the attribute names, or
// "a1", ..., "d" without names, then one row per object; nominal values by their labels ("?" when
// missing), numbers in the shortest form that reads back to the same float. Fields are quoted
// where they would not read back as written.
std::string csvText(const SystemDecyzyjny& table, const TableNames* names);

} // namespace kolven
