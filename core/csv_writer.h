#pragma once

#include "decision_system.h"
#include "table_names.h"

#include <string>
#include <string_view>

namespace kolven {

// The table as .csv text (comma separated, CR LF line ends): a header of the attribute names, or
// "a1", ..., "d" without names, then one row per object; nominal values by their labels ("?" when
// missing), numbers in the shortest form that reads back to the same float. Fields are quoted
// where they would not read back as written.
std::string csvText(const SystemDecyzyjny& table, const TableNames* names);

} // namespace kolven
