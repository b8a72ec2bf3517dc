#pragma once

#include "decision_system.h"
#include "read_refusal.h"
#include "table_names.h"

#include <string>
#include <string_view>

namespace kolven {

// Reads a .csv table: the first row names the attributes; the separator is the one given, or
// (separator 0) of ",", ";" and tab the one the first lines use evenly, ";" on a tie; fields may be quoted ("" inside is one quote); a UTF-8 byte
// order mark is skipped. A column whose values are all numbers is numeric, read as .tab values
// are (in a file not separated by "," a decimal comma, "1,5", is taken for a point); any other
// is nominal, its words numbered in order of first appearance. An empty field or
// "?" is missing: -1 in a nominal column; in a numeric one (where "NA" and "NaN" are missing too)
// the table is refused unless keepMissing is set, when the value is NaN and must be completed
// before any computation. missing, when given, receives their counts, refused or not. The column named decision
// (the last one when decision is empty) becomes the decision. Returns false, leaving target and
// names as they were and saying why in refusal, when the text is not such a table or has a single
// column.
bool parseCsv(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
              ReadRefusal& refusal, char separator = 0, MissingNumbers* missing = nullptr,
              bool keepMissing = false);

} // namespace kolven
