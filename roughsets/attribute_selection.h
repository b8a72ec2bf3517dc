#pragma once

#include "decision_system.h"
#include "table_names.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// Reads a comma-separated list of condition attributes, each a number from 1 or, for a table with
// names, a name, into attributes (ascending: the order of the table). Returns the refusal message
// for an empty list, an empty item, an unknown or a repeated attribute, with attributes untouched.
std::optional<std::string> parseAttributeList(std::string_view list, const SystemDecyzyjny& table,
                                              const TableNames& names, std::vector<std::uint32_t>& attributes);

// Reduces table to the condition attributes kept (ascending, each below attributeCount), keeping
// the decision. Throws std::bad_alloc, leaving the table as it was, when memory runs out.
void keepAttributes(SystemDecyzyjny& table, const std::vector<std::uint32_t>& kept);

// The names of the kept columns and the decision, for a table reduced by keepAttributes.
TableNames keptNames(const TableNames& names, const std::vector<std::uint32_t>& kept);

// Names that give the kept attributes of a reduced table the numbers they had in the full table
// ("a5" stays "a5") and the decision "d", values printed as numbers: so that the texts of a table
// without names (or with --codes) read as those of the full table.
TableNames numberedNames(const std::vector<std::uint32_t>& kept);

} // namespace kolven
