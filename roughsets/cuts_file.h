#pragma once

#include "discretization.h"
#include "table_names.h"

#include <optional>
#include <string>
#include <string_view>

namespace kolven {

// The cuts as a file, so that they can be applied to another table: "atrybuty N" (the number of
// condition attributes), then one line a cut attribute, "a3: 2.45 4.95" ("a3:" when it got no
// cut), each cut in the shortest form that reads back to the same double; CR LF line ends.
std::string cutsFileText(const Discretization& discretization);

// Reads such a text (LF or CR LF line ends). Returns nullopt, saying why in refusal, when it is
// not one: a line of another form, an attribute out of range or given twice, a cut that is not a
// finite number, cuts not in ascending order.
std::optional<Discretization> parseCutsFile(std::string_view text, std::string& refusal);

// Whether cuts read from a file fit table: as many condition attributes, and with names, only
// numeric columns cut. False, saying why in refusal, when not.
bool cutsFitTable(const Discretization& discretization, const SystemDecyzyjny& table, const TableNames* names,
                  std::string& refusal);

} // namespace kolven
