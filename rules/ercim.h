#pragma once

#include "decision_system.h"
#include "exhaustive_search.h"
#include "table_names.h"
#include "text_page.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kolven {

// Minimal certain rules by an exhaustive search over a discernibility matrix, order by order.
// Holds the application's current decision system as well.
class ERCIM : public SystemDecyzyjny {
public:
    // Searches the rules of the table it holds and times the search, telling progress how far it
    // has come. Returns false, leaving the results and order as they were, when progress asks it
    // to stop. Throws std::bad_alloc, leaving them as they were too, when its working storage or
    // the rule lists cannot be allocated.
    bool computeRules(Progress& progress = noProgress(), const ExhaustiveOptions& options = {});

    // Writes exhaustiveExportText to path; false, leaving no file, when it cannot be written.
    bool exportResults(const std::filesystem::path& path, const TableNames* names = nullptr) const override;

    // The rule list of object at order (1-based): entries of order + 1 words (the attribute
    // indices, then the support) closed by one word 0xFFFFFFFF; null when the object has none.
    const std::uint32_t* ruleList(std::uint32_t order, std::uint32_t object) const;
    // The same list as a span of words, its closing word included; empty when there is none.
    std::span<const std::uint32_t> ruleListWords(std::uint32_t order, std::uint32_t object) const;

    std::uint32_t order = 0;    // after computeRules: the number of orders kept
    double elapsedSeconds = 0;  // duration of computeRules

private:
    // Indexed by order (index 0 unused); filled only by a computation that finished.
    std::vector<RuleSet> rulesByOrder_;
};

// The text of one printed entry (support >= 1) of object's list at order, without line end:
// " (a1=0.500) & (a3=2.000) => (d=1.000) [2]", or with names (which must fit the table)
// " (outlook=sunny) & (humidity=high) => (play=no) [3]".
std::string exhaustiveRuleLine(const ERCIM& ercim, std::uint32_t object, const std::uint32_t* entry, std::uint32_t order,
                               const TableNames* names = nullptr);

// The export file: the time line, then for each order its "Rzad: %u" header and its rule lines,
// every line ended by CR LF.
std::string exhaustiveExportText(const ERCIM& ercim, const TableNames* names = nullptr);

// True when the computed results hold at least one rule line.
bool hasExhaustiveRules(const ERCIM& ercim);

// Draws one page of the listing from position and ends the pass. Returns true when the listing is
// complete (position back at the start, next button disabled), false when the page is full.
bool listExhaustiveRules(const ERCIM& ercim, ListingPosition& position, TextPage& page,
                         const TableNames* names = nullptr);

} // namespace kolven
