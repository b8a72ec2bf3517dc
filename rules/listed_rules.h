#pragma once

#include "decision_system.h"
#include "ercim.h"
#include "lem2.h"

#include <span>
#include <string>
#include <vector>

namespace kolven {

// A rule as its listing shows it: its conditions, the decisions on its right side, its support
// as printed (1 where no bracket is shown), and its line text without line end. Exhaustive rules
// have one decision each.
struct ListedRule {
    Lem2Rule rule;
    std::string text;
};

// The exhaustive rules in the order of the listing and the export: orders ascending, owning
// objects ascending, list order; entries that print no line are left out. With names (which must
// fit the table) the texts name attributes and values as the listing does.
std::vector<ListedRule> listedRules(const ERCIM& ercim, const TableNames* names = nullptr);
// The LEM2 rules in the order of the listing and the export.
std::vector<ListedRule> listedRules(const LEM2v1& lem2, const TableNames* names = nullptr);

// True when every condition of rule holds for row, each compared with exact float equality
// (so -0 matches 0).
bool ruleMatches(const Lem2Rule& rule, const float* row);

// One CSV row a rule (RFC 4180: a header row, CR LF line ends, a field quoted when it holds a
// comma, a quote or a line break): the rule's text as listed, its number of conditions, its
// support, the number of objects of table it matches, its accuracy (matched objects whose
// decision is on its right side / matched objects) and its coverage (support / objects whose
// decision is on its right side), both as "%.3f". table is the table the rules were induced from.
std::string ruleStatisticsCsv(const SystemDecyzyjny& table, std::span<const ListedRule> rules);

} // namespace kolven
