#pragma once

#include "approximations.h"
#include "reducts.h"
#include "table_names.h"

#include <cstdint>
#include <span>
#include <string>

namespace kolven {

// An attribute as the results name it: "a5" (numbered from 1), or its name when names are given.
std::string attributeLabel(std::uint32_t attribute, const TableNames* names);

// "{a2, a5}" (attributes in the order given), "{}" for none.
std::string attributeSetText(std::span<const std::uint32_t> attributes, const TableNames* names);

// The approximation lines joined by "\n": "Atrybuty: {a1, a2}", "Klasy nierozroznialnosci: N",
// one "Klasa (d=0.000): obiekty ..." line a decision class, "Obszar pozytywny: P z N",
// "Jakosc klasyfikacji: %.3f". With names (which must fit the table) "Klasa (play=yes): ...".
std::string approximationsText(const Approximations& approximations, const TableNames* names = nullptr);

// The time line, then the approximation lines ended by CR LF: what kolven-cli approx writes.
std::string approximationsReport(const Approximations& approximations, const TableNames* names = nullptr);

// "Rdzen: {a2, a5}", "Redukty: N", then one reduct a line, joined by "\n".
std::string reductsText(const ReductAnalysis& analysis, const TableNames* names = nullptr);

// The time line, then the reduct lines ended by CR LF: what kolven-cli reducts writes.
std::string reductsReport(const ReductAnalysis& analysis, const TableNames* names = nullptr);

} // namespace kolven
