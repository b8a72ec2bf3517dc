#pragma once

#include "decision_system.h"
#include "discernibility.h"
#include "progress.h"

#include <cstdint>
#include <vector>

namespace kolven {

// How the reducts are sought.
enum class ReductMethod {
    All,     // every reduct, by the minimal sets meeting every discernibility set
    Johnson, // one reduct: the attribute discerning most pairs still undiscerned, again and again
    Greedy,  // one reduct from the positive regions alone, without pairs of objects
};

// The stages a reduct computation reports progress in (Progress::report's stage).
enum ReductStage : std::uint32_t {
    kStageAttributes = 0,   // attributes refined or weighed
    kStagePairs = 1,        // groups of objects compared with the others
    kStageDiscernibility = 2, // discernibility sets taken into the reducts
};

// A reduct analysis: the core and the reducts found, each attribute list ascending.
struct ReductAnalysis {
    std::vector<std::uint32_t> core;
    std::vector<std::vector<std::uint32_t>> reducts;
    double elapsedSeconds = 0;
};

// The core: the attributes a without which the positive region shrinks (POS_{C-{a}} != POS_C),
// positive being POS_C. Found by splitting the attributes in halves, so that the attributes
// outside a half are refined once for the whole half. False when progress asks to stop.
bool coreAttributes(const CodedTable& table, const PositiveRegion& positive, std::vector<std::uint32_t>& core,
                    unsigned threads = 0, Progress& progress = noProgress());

// Every reduct of a table whose discernibility sets are sets (over attributes condition
// attributes): the minimal attribute sets meeting each of them, sorted by size, then by their
// attribute lists. {{}} when there is no set. False when progress asks to stop; throws
// std::bad_alloc when the search outgrows memory.
bool allReducts(const DiscernibilitySets& sets, std::uint32_t attributes, std::vector<std::vector<std::uint32_t>>& reducts,
                Progress& progress = noProgress());

// Johnson's reduct: the attribute discerning the most pairs not yet discerned (the lowest on a tie)
// until every pair is, then, in the order chosen, each chosen attribute dropped that is not needed.
std::vector<std::uint32_t> johnsonReduct(const DiscernibilitySets& sets, std::uint32_t attributes);

// The greedy reduct: from the empty set, the attribute giving the largest positive region (the
// lowest on a tie) until it is POS_C's size, then, in the order added, each attribute dropped
// without which the region keeps that size. False when progress asks to stop.
bool greedyReduct(const CodedTable& table, std::uint32_t positiveSize, std::vector<std::uint32_t>& reduct,
                  unsigned threads = 0, Progress& progress = noProgress());

// The core and the reducts of table by method, timed, on threads threads (0: one per core).
// False, with analysis untouched, when progress asks to stop; throws std::bad_alloc, with analysis
// untouched, when memory runs out.
bool computeReducts(const SystemDecyzyjny& table, ReductMethod method, ReductAnalysis& analysis,
                    Progress& progress = noProgress(), unsigned threads = 0);

} // namespace kolven
