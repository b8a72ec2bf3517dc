#pragma once

#include "decision_system.h"
#include "read_refusal.h"
#include "table_names.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kolven {

// Reads an .arff table: @relation, @attribute NAME {labels} or numeric, real, integer, then
// @data rows; "%" lines are comments, keywords and types ignore case, names and values may be
// quoted. Nominal values are numbered in their declared order from 0; "?" is missing as in
// parseCsv. A "%" outside quotes ends a data line; an instance weight ending a row (", {2}") is
// ignored (missing numbers as in parseCsv), weightedRows (when given) receiving the number of rows that had one. Sparse rows,
// text after a type, and string, date and relational attributes are refused. The decision is
// chosen as in parseCsv; a refusal leaves target and names as they were.
bool parseArff(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
               ReadRefusal& refusal, std::uint64_t* weightedRows = nullptr, MissingNumbers* missing = nullptr,
               bool keepMissing = false);

} // namespace kolven
