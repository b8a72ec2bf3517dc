#pragma once

#include "decision_system.h"
#include "progress.h"
#include "rule_classifier.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

class ERCIM;
class LEM2v1;
class kNNv1;

// The methods that induce rules or classify, each named once here: the command line's option
// values, the cross-validation dialog's list and cross-validation all read this registry.
enum class CvMethod { Knn, Lem2, Lem2Simplified, Exhaustive, ExhaustiveAllOrders };

// The three ways of training a classifier; a method is one of them, perhaps in its variant.
enum class MethodFamily { Knn, Lem2, Exhaustive };

struct MethodInfo {
    CvMethod method;
    MethodFamily family;
    std::string_view cliName;     // the value of the command line's --method and --rules
    std::string_view variantFlag; // the command line's flag that chooses this variant, or empty
    std::string_view resultsName; // how the cross-validation results name it
    std::string_view windowLabel; // its entry in the cross-validation dialog's list
};

// In the order of the dialog's list.
inline constexpr std::array kMethods{
    MethodInfo{CvMethod::Knn, MethodFamily::Knn, "knn", "", "knn", "k-NN"},
    MethodInfo{CvMethod::Lem2, MethodFamily::Lem2, "lem2", "", "lem2", "LEM2"},
    MethodInfo{CvMethod::Lem2Simplified, MethodFamily::Lem2, "lem2", "--simplify", "lem2 (uproszczone)",
               "LEM2 (uproszczone)"},
    MethodInfo{CvMethod::Exhaustive, MethodFamily::Exhaustive, "exhaustive", "", "exhaustive", "Exhaustive"},
    MethodInfo{CvMethod::ExhaustiveAllOrders, MethodFamily::Exhaustive, "exhaustive", "--all-orders",
               "exhaustive (wszystkie reguly)", "Exhaustive (wszystkie reguly)"},
};

const MethodInfo& methodInfo(CvMethod method);

// The command line's method names, each once, in registry order; with rulesOnly those of the
// methods that induce rules.
std::vector<std::string> methodCliNames(bool rulesOnly = false);

// True when the command line's flag (such as "--simplify") chooses a variant of the method cliName.
bool methodTakesFlag(std::string_view cliName, std::string_view flag);

// The method that cliName and the flags given choose; nothing when they choose none.
std::optional<CvMethod> methodNamed(std::string_view cliName, const std::vector<std::string_view>& flagsGiven);

// The variant of a rule family that its flag chooses.
inline CvMethod lem2Method(bool simplify) { return simplify ? CvMethod::Lem2Simplified : CvMethod::Lem2; }
inline CvMethod exhaustiveMethod(bool allOrders)
{
    return allOrders ? CvMethod::ExhaustiveAllOrders : CvMethod::Exhaustive;
}

// A method's run on a table made ready for it (read, restricted, discretized), watching progress:
// the rules induced into lem2 or ercim by the method's variant, or knn's test system classified
// with k neighbours a class (0 taken as 1); the results stay with the table they describe. The
// command line runs on the table it read, the window on a copy it installs once the run has
// finished, cross-validation on each fold. False when the run was cancelled or refused its table
// (LEM2 without a condition attribute, k-NN tables of different widths).
bool runMethod(CvMethod method, LEM2v1& lem2, Progress& progress, unsigned threads = 0);
bool runMethod(CvMethod method, ERCIM& ercim, Progress& progress, unsigned threads = 0);
bool runMethod(kNNv1& knn, std::uint32_t k, Progress& progress, unsigned threads = 0);

// How one test of a trained classifier went: the objects tested, those it caught, those it
// classified correctly.
struct TestCounts {
    std::uint32_t objects = 0;
    std::uint32_t caught = 0;
    std::uint32_t correct = 0;
};

// Trains method on training and classifies test with it (k neighbours per class for k-NN, 0
// taken as 1). The tables must be of one width; a LEM2 method needs a condition attribute. The
// computations watch progress for a cancel; a cancelled run's counts mean nothing. The rules meet
// the test objects and vote as matching and voting say (k-NN ignores both; the exhaustive rules have
// one decision each). The computations run on threads threads (0: one per core); the counts do not
// depend on it.
TestCounts trainAndClassify(CvMethod method, SystemDecyzyjny training, SystemDecyzyjny test, std::uint32_t k,
                            Progress& progress = noProgress(), RuleMatching matching = RuleMatching::Complete,
                            RuleVoting voting = RuleVoting::Shared, unsigned threads = 0);

} // namespace kolven
