#pragma once

#include "decision_system.h"
#include "progress.h"
#include "table_names.h"
#include "text_page.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// Shown when LEM2 is asked to induce rules from a table without condition attributes.
inline constexpr std::string_view kLem2NoAttributesMessage =
    "System decyzyjny bez atrybutow warunkowych: algorytm LEM2 nie moze wyznaczyc regul.";

// One LEM2 rule: its conditions in the order chosen, its decision values (the concept's own
// first, then those of later classes that share a full-length rule's values), its support.
struct Lem2Rule {
    struct Condition {
        std::uint32_t attribute;
        float value;
    };
    std::vector<Condition> conditions;
    std::vector<float> decisions;
    std::uint32_t support = 0;
};

// LEM2 rule induction, one decision class (concept) at a time.
class LEM2v1 : public SystemDecyzyjny {
public:
    // Induces the rules of the table it holds and times the run, reporting the decision classes
    // done to progress. Returns false, changing nothing, when the table has no condition attribute
    // (or no object) or when progress is cancelled. Throws std::bad_alloc, leaving the results as
    // they were, when memory runs out.
    bool runLem2(Progress& progress = noProgress());
    // The same run with the straightforward induction, which gives the same rules more slowly;
    // kept for measuring and checking the fast one.
    bool runLem2Reference(Progress& progress = noProgress());

    // Writes lem2ExportText to path; false, leaving no file, when it cannot be written.
    bool exportResults(const std::filesystem::path& path, const TableNames* names = nullptr) const override;

    std::vector<Lem2Rule> rules; // in induction order
    double elapsedSeconds = 0;

private:
    using Induction = std::vector<Lem2Rule> (*)(const SystemDecyzyjny&, Progress&);
    bool run(Induction induce, Progress& progress);
};

// The text of one rule without line end: " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2]",
// or with names (which must fit the table) " (outlook=sunny) => (play=no) [3]".
std::string lem2RuleText(const Lem2Rule& rule, const TableNames* names = nullptr);

// The export file: the time line, then one line per rule, every line ended by CR LF.
std::string lem2ExportText(const LEM2v1& lem2, const TableNames* names = nullptr);

// Draws one page of the listing from position and ends the pass. Returns true when the listing is
// complete (position back at 0, next button disabled), false when the page is full.
bool listLem2Rules(const LEM2v1& lem2, ListingPosition& position, TextPage& page, const TableNames* names = nullptr);

} // namespace kolven
