#pragma once

#include "decision_system.h"
#include "progress.h"
#include "table_names.h"
#include "text_page.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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
    // begun to progress. The decision classes are shared among threads threads (0: one per core);
    // the rules do not depend on it. Returns false, changing nothing, when the table has no
    // condition attribute (or no object) or when progress is cancelled. Throws std::bad_alloc,
    // leaving the results as they were, when memory runs out.
    bool runLem2(Progress& progress = noProgress(), unsigned threads = 0);
    // The same run with the straightforward induction, which gives the same rules more slowly;
    // kept for measuring and checking the fast one.
    bool runLem2Reference(Progress& progress = noProgress());
    // The same run as runLem2 followed by simplifyLem2Rules; the time covers both.
    bool runLem2Simplified(Progress& progress = noProgress(), unsigned threads = 0);

    // Writes lem2ExportText to path; false, leaving no file, when it cannot be written.
    bool exportResults(const std::filesystem::path& path, const TableNames* names = nullptr) const override;

    std::vector<Lem2Rule> rules; // in induction order
    double elapsedSeconds = 0;
    bool simplified = false; // the last run simplified its rules

private:
    using Induction = std::function<std::vector<Lem2Rule>(const SystemDecyzyjny&)>;
    bool run(const Induction& induce, Progress& progress, bool simplify = false);
};

// Simplifies induced rules (in induction order, as runLem2 leaves them), concept by concept. In
// each rule with one decision that matches only objects of that decision, the conditions are
// tried in the order chosen and each is dropped whose removal keeps that so (one always stays).
// Then each such rule whose matched objects all match another remaining such rule of its concept
// is dropped, in order. A kept simplified rule's support becomes the number of objects of table it
// matches. Rules with several decisions, or matching objects of another decision, stay as induced.
std::vector<Lem2Rule> simplifyLem2Rules(const SystemDecyzyjny& table, std::vector<Lem2Rule> rules);

// The text of one rule without line end: " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2]",
// or with names (which must fit the table) " (outlook=sunny) => (play=no) [3]".
std::string lem2RuleText(const Lem2Rule& rule, const TableNames* names = nullptr);

// The export file: the time line, then one line per rule, every line ended by CR LF.
std::string lem2ExportText(const LEM2v1& lem2, const TableNames* names = nullptr);

// Draws one page of the listing from position and ends the pass. Returns true when the listing is
// complete (position back at 0, next button disabled), false when the page is full.
bool listLem2Rules(const LEM2v1& lem2, ListingPosition& position, TextPage& page, const TableNames* names = nullptr);

} // namespace kolven
