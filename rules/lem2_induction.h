#pragma once

#include "decision_system.h"
#include "lem2.h"
#include "progress.h"

#include <vector>

namespace kolven {

// The two inductions behind LEM2v1. Both need the table's decision classes built, return the
// rules in induction order and throw std::bad_alloc when memory runs out; they give the same
// rules, condition for condition, for every table of finite values. Both report the decision
// classes done to progress and stop, with part of the rules, once it is cancelled; they check it
// between two rules as well, since one concept of a large table can take a while.

// Calls induceConcept(first grouped row, number of rows) for each decision class of table in
// ascending decision value: the order in which LEM2 takes its concepts, so that a full-length rule
// belongs to the lowest class that shares its values.
template <typename InduceConcept>
void forEachConcept(const SystemDecyzyjny& table, Progress& progress, InduceConcept induceConcept)
{
    std::uint32_t start = 0;
    for (std::uint32_t c = 0; c < table.classCount && !progress.cancelled(); ++c) {
        progress.report(0, c, table.classCount);
        induceConcept(start, table.classSize(c));
        start += table.classSize(c);
    }
}

// The induction runLem2 uses: pair counts in one pass over the goal set, the consistency test
// narrowed condition by condition.
std::vector<Lem2Rule> induceLem2Rules(const SystemDecyzyjny& table, Progress& progress);

// The straightforward induction, counting pairs object by object and testing every row outside
// the concept for each new condition; kept as the reference the faster one is checked against.
std::vector<Lem2Rule> induceLem2RulesReference(const SystemDecyzyjny& table, Progress& progress);

} // namespace kolven
