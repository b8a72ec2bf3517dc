#pragma once

#include "decision_system.h"
#include "progress.h"
#include "table_names.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// How the cuts of the numeric attributes are chosen: maximal discernibility over the blocks of
// objects (md), the minimum-description-length entropy rule (entropy), or width equal intervals
// (width:K, K from 2 to kMaxEqualWidthIntervals).
enum class CutMethod { MaximalDiscernibility, Entropy, EqualWidth };

// More intervals than this would only spend memory on cuts and labels: far more than any table's
// distinct values could fill, and a mistyped K must not exhaust the machine before it is refused.
inline constexpr std::uint32_t kMaxEqualWidthIntervals = 10000;

struct DiscretizationMethod {
    CutMethod method = CutMethod::MaximalDiscernibility;
    std::uint32_t intervals = 5; // equal width only

    bool operator==(const DiscretizationMethod&) const = default;
};

// Reads "md", "entropy", "width" or "width:K" (K from 2 to kMaxEqualWidthIntervals); nullopt for anything else.
std::optional<DiscretizationMethod> parseDiscretizationMethod(std::string_view text);
// "md", "entropy", "width:K": how the results' header names the method.
std::string discretizationMethodName(const DiscretizationMethod& method);

// The ascending cuts of each condition attribute, fitted on one table and applied to others.
// An attribute that is not cut keeps its values; a cut one gets the codes of its intervals.
struct Discretization {
    std::vector<bool> isCut;               // one entry a condition attribute
    std::vector<std::vector<double>> cuts; // ascending and distinct; empty for an attribute not cut

    // Writes the codes of table's cut attributes into coded (the other values copied), and into
    // codedNames the names of the coded table: every column keeps its name (from names when they
    // describe table, "aN" and "d" otherwise), a cut attribute's values labelled by its
    // intervals. The cuts must have one entry a condition attribute of table.
    void apply(const SystemDecyzyjny& table, const TableNames* names, SystemDecyzyjny& coded,
               TableNames& codedNames) const;
    // The same in place, keeping the names of table as they are.
    void applyInPlace(SystemDecyzyjny& table) const;

    bool operator==(const Discretization&) const = default;
};

// The code of value among ascending cuts: the number of cuts c with c < value.
std::uint32_t intervalCode(const std::vector<double>& cuts, float value);

// The candidate cuts of attribute: the midpoints, in double, of its consecutive distinct values.
std::vector<double> candidateCuts(const SystemDecyzyjny& table, std::uint32_t attribute);

// The attributes cut by default: the numeric columns of a table with names, every condition
// attribute of a table without them.
std::vector<bool> defaultCutAttributes(const SystemDecyzyjny& table, const TableNames* names);

// Fits the cuts of method on table for the attributes marked in cutAttributes (one entry a
// condition attribute). Reports progress (stage 0) and returns nullopt when progress asks to
// stop. Throws std::bad_alloc when memory runs out. The searches run on threads threads (0: one
// per core); the cuts do not depend on it.
std::optional<Discretization> fitDiscretization(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                                                const DiscretizationMethod& method,
                                                Progress& progress = noProgress(), unsigned threads = 0);

// Each method on its own, for the attributes marked in cutAttributes; nullopt when stopped.
std::optional<Discretization> maximalDiscernibilityCuts(const SystemDecyzyjny& table,
                                                        const std::vector<bool>& cutAttributes, Progress& progress);
std::optional<Discretization> entropyCuts(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                                          Progress& progress);
Discretization equalWidthCuts(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                              std::uint32_t intervals);

// The cuts of one attribute as printed: "%.6g", with as many more digits as keep every two of
// them apart.
std::vector<std::string> cutTexts(const std::vector<double>& cuts);
// The interval labels of one attribute: "(-inf;c1]", "(c1;c2]", ..., "(ck;inf)", or "(-inf;inf)".
std::vector<std::string> intervalLabels(const std::vector<double>& cuts);

// One line a cut attribute, "a3 petallength: 2.45 4.95" ("a3" alone without names, no colon
// when it gets no cut), joined by "\n".
std::string cutsSummary(const Discretization& discretization, const TableNames* names);

} // namespace kolven
