#pragma once

#include "decision_system.h"
#include "read_refusal.h"
#include "table_names.h"

#include <string>
#include <string_view>

namespace kolven {

// Reads an .arff table: @relation, @attribute NAME {labels} or numeric, real, integer, then
// @data rows; "%" lines are comments, keywords and types ignore case, names and values may be
// quoted. Nominal values are numbered in their declared order from 0; "?" is missing as in
// parseCsv. Sparse rows and string, date and relational attributes are refused. The decision is
// chosen as in parseCsv; a refusal leaves target and names as they were.
bool parseArff(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
               ReadRefusal& refusal);

} // namespace kolven
