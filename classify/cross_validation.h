#pragma once

#include "decision_system.h"
#include "discretization.h"
#include "normalization.h"
#include "methods.h"
#include "missing_values.h"
#include "progress.h"
#include "table_names.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

struct CvSettings {
    CvMethod method = CvMethod::Knn;
    std::uint32_t k = 2; // k-NN only; 0 is taken as 1
    std::uint32_t folds = 10;
    std::uint32_t seed = 0;
    RuleMatching matching = RuleMatching::Complete; // the rule methods only
    RuleVoting voting = RuleVoting::Shared;         // LEM2 only
    // The threads the run takes (0: one per core), as many folds tested at a time; the results do
    // not depend on it.
    unsigned threads = 0;
};

// How each fold's two parts are prepared before the method runs, fitted on the training part
// alone: first missing values completed (mean or mode; the column kinds in missingNames tell a
// nominal missing value, -1, from a number), then cuts for the attributes marked in cutAttributes
// (empty: every condition attribute), none without a method; then, for k-NN only, rescaling.
struct FoldPreparation {
    std::optional<DiscretizationMethod> discretization;
    std::vector<bool> cutAttributes;
    std::optional<Normalization> normalization;
    std::optional<MissingTreatment> missing = std::nullopt;
    TableNames missingNames = {};
};

// One fold's test: its objects, how many were caught and how many of those correctly, and the
// two figures in single precision (accuracy 0 when nothing was caught).
struct FoldResult {
    std::uint32_t objects = 0;
    std::uint32_t caught = 0;
    std::uint32_t correct = 0;
    float accuracy = 0;
    float coverage = 0;
};

struct CrossValidation {
    CvSettings settings;
    std::vector<FoldResult> folds;
    double elapsedSeconds = 0;
    FoldPreparation preparation;
};

// Why a cross-validation is refused.
enum class CvRefusal { FoldCount, Lem2NoAttributes };
std::string_view refusalMessage(CvRefusal refusal);
// Checks settings against table before anything runs: 2 to objectCount folds, and a condition
// attribute for LEM2.
std::optional<CvRefusal> checkCvSettings(const SystemDecyzyjny& table, const CvSettings& settings);

// The fold (0-based) of each object of table. Stratified: the objects of each decision class
// (classes in ascending decision value) are shuffled by the linear congruential source seeded
// with seed (Fisher-Yates from the last object down, each draw two outputs as one 30-bit number
// taken modulo the places left) and dealt to the folds in turn, the turn going on from class to
// class; so every fold's count of a class differs from every other's by at most one, and so do
// the folds' sizes. The same table, folds and seed always give the same folds.
std::vector<std::uint32_t> stratifiedFolds(const SystemDecyzyjny& table, std::uint32_t folds, std::uint32_t seed);

// Why preparation.missing cannot complete every fold: the first fold whose training part has no
// value in a column that has missing values, and the column; nothing when each fold can be completed.
std::optional<std::string> foldMissingRefusal(const SystemDecyzyjny& table, const CvSettings& settings,
                                              const FoldPreparation& preparation);

// Prepares a fold's two parts for method: missing values, cuts and rescaling fitted on training
// alone and applied to training and test.
void prepareFold(SystemDecyzyjny& training, SystemDecyzyjny& test, CvMethod method, const FoldPreparation& preparation);

// Fills training with the objects outside fold and test with those in it, both in table order.
void splitFold(const SystemDecyzyjny& table, const std::vector<std::uint32_t>& foldOf, std::uint32_t fold,
               SystemDecyzyjny& training, SystemDecyzyjny& test);

// Tests each fold with the method trained on the other folds, several folds at a time on
// settings.threads threads, and times it all; the folds' results are kept in fold order.
// settings must pass checkCvSettings. Returns false, leaving results as they were, when progress
// asks to stop (checked before each fold and by each fold's computation); progress is told the
// folds finished. Throws std::bad_alloc, leaving results, when memory runs out.
bool crossValidate(const SystemDecyzyjny& table, const CvSettings& settings, CrossValidation& results,
                   Progress& progress = noProgress());
// The same with each fold's parts prepared; the results' header names the preparation.
bool crossValidate(const SystemDecyzyjny& table, const CvSettings& settings, const FoldPreparation& preparation,
                   CrossValidation& results, Progress& progress = noProgress());

// "Walidacja krzyzowa: ...", a line a fold, "Razem: ..." and "Srednio: ..." joined by "\n".
std::string crossValidationText(const CrossValidation& results);
// The time line and those lines, each ended by CR LF: what kolven-cli cv prints.
std::string crossValidationReport(const CrossValidation& results);

} // namespace kolven
