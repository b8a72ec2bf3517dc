#pragma once

#include "decision_system.h"
#include "lem2.h"
#include "progress.h"

#include <vector>

namespace kolven {

// The two inductions behind LEM2v1. Both need the table's decision classes built, return the
// rules in induction order and throw std::bad_alloc when memory runs out; they give the same
// rules, condition for condition, for every table of finite values. Both take the decision classes
// (concepts) in ascending decision value, so that a full-length rule belongs to the lowest class
// that shares its values; both report the classes begun to progress and stop, with part of the
// rules, once it is cancelled; they check it between two rules as well, since one concept of a
// large table can take a while.

// The induction runLem2 uses: pair counts in one pass over the goal set, the consistency test
// narrowed condition by condition, the concepts shared among threads threads (0: one per core;
// the rules do not depend on it). Progress is told by the calling thread alone.
std::vector<Lem2Rule> induceLem2Rules(const SystemDecyzyjny& table, Progress& progress, unsigned threads);

// The straightforward induction, counting pairs object by object and testing every row outside
// the concept for each new condition; kept as the reference the faster one is checked against.
std::vector<Lem2Rule> induceLem2RulesReference(const SystemDecyzyjny& table, Progress& progress);

} // namespace kolven
