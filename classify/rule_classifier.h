#pragma once

#include "decision_system.h"
#include "progress.h"
#include "ercim.h"
#include "lem2.h"
#include "table_names.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// Which rules classified; named in the first line of the results.
enum class RuleKind { Lem2, Lem2Simplified, Exhaustive };
// "LEM2", "LEM2 (uproszczone)", "Exhaustive".
std::string_view ruleKindName(RuleKind kind);

// How the rules meet an object: Complete, every condition of a rule holding (ruleVote), or Partial,
// which also lets the rules that meet an object in part classify it when none meets it completely
// (partialRuleVote). Chosen by the user; Complete unless asked.
enum class RuleMatching { Complete, Partial };
// How the results name partial matching (cross-validation's header, the classification's summary).
inline constexpr std::string_view kPartialMatchingLabel = "dopasowanie czesciowe";

// How a rule that names several decisions votes: Shared, its support to each of them (ruleVote),
// or ByDecision, to each the number of objects of that decision it matches in the table the rules
// were induced from, so that the decision most of its objects have wins. Rules of one decision
// vote alike either way. Chosen by the user; Shared unless asked.
enum class RuleVoting { Shared, ByDecision };
// How the results name voting by decision.
inline constexpr std::string_view kByDecisionVotingLabel = "glosy wedlug decyzji";

// A rule set ready to classify with: the rules its listing shows, the number of condition
// attributes of the table they were induced from, whether they were computed at all, and how
// they meet an object and vote.
struct ClassificationRules {
    RuleKind kind = RuleKind::Lem2;
    std::uint32_t attributeCount = 0;
    bool computed = false;
    std::vector<Lem2Rule> rules;
    RuleMatching matching = RuleMatching::Complete;
    RuleVoting voting = RuleVoting::Shared;
};
ClassificationRules classificationRules(const ERCIM& ercim);
// With ByDecision each rule of several decisions is replaced, in its place, by one rule a distinct
// decision of it (in their order), its support the number of objects of lem2's table with that
// decision that match it; a decision no such object has gets no rule.
ClassificationRules classificationRules(const LEM2v1& lem2, RuleVoting voting = RuleVoting::Shared);

// Why a classification by rules is refused, and the message shown for each.
enum class RuleRefusal { NotComputed, AttributeMismatch };
std::string_view refusalMessage(RuleRefusal refusal);

// The decision the rules give row: each matching rule adds its support once to each distinct
// decision on its right side (equal values, -0 and 0 among them, being one decision), and the
// decision with the strictly largest total wins. nullopt when no rule matches or the largest
// total is shared.
std::optional<float> ruleVote(std::span<const Lem2Rule> rules, const float* row);

// The decision the rules give row with partial matching. When some rule matches row completely
// (a rule without conditions always does), exactly ruleVote. Otherwise a rule of n conditions of
// which m hold matches the share m / n; the rules of the largest share, if it is above 0, vote:
// each adds support * m / n once to each distinct decision on its right side. Shares are compared
// exactly (m1 * n2 against m2 * n1 in 64-bit integers), and since the voters share one m / n, the
// totals compare as their sums of supports: the decision with the strictly largest sum wins.
// nullopt when no condition of any rule holds or the largest total is shared.
std::optional<float> partialRuleVote(std::span<const Lem2Rule> rules, const float* row);

// The results of classifying a test table by rules, with its confusion matrix.
struct RuleClassification {
    RuleKind kind = RuleKind::Lem2;
    RuleMatching matching = RuleMatching::Complete;
    RuleVoting voting = RuleVoting::Shared;
    std::uint32_t testObjectCount = 0;
    std::uint32_t caughtCount = 0;
    std::uint32_t correctCount = 0;
    float accuracy = 0; // correctCount / caughtCount, 0 when nothing was caught
    float coverage = 0; // caughtCount / testObjectCount
    double elapsedSeconds = 0;
    // The confusion matrix: a row per true decision value, a column per predicted value (both
    // ascending and distinct, -0 counted as 0), then the column of objects not caught.
    std::vector<float> trueDecisions;
    std::vector<float> predictedDecisions;
    std::vector<std::uint32_t> counts; // row by row, predictedDecisions.size() + 1 a row
};

// Classifies every object of test by ruleVote (partialRuleVote when the rules ask for partial
// matching) and times it. Refuses, leaving results as they
// were, rules never computed and a test table with another number of condition attributes. A
// classification that progress cancels stops between objects, results left as they were too.
std::optional<RuleRefusal> classifyByRules(const ClassificationRules& rules, const SystemDecyzyjny& test,
                                           RuleClassification& results, const Progress& progress = noProgress());

// "Reguly: LEM2" (", dopasowanie czesciowe" added with partial matching, ", glosy wedlug decyzji"
// with voting by decision) and the five count lines in the k-NN results' form, joined by "\n".
std::string ruleSummaryText(const RuleClassification& results);
// The corner of a confusion matrix labelled by names: which axis is which.
inline constexpr std::string_view kConfusionMatrixCorner = "rzeczywista \\ przewidziana";

// The confusion matrix as rows of cells: a header row (an empty cell, the predicted values as
// "%.3f", "nie chwycone"), then a row per true decision (its value, then the counts). With names
// (of the test table, its words numbered as the training table's) the decisions are shown as
// their words and the corner cell is kConfusionMatrixCorner.
std::vector<std::vector<std::string>> confusionMatrixCells(const RuleClassification& results,
                                                           const TableNames* names = nullptr);
// The summary, a blank line and the confusion matrix, its first column left-aligned and the others
// right-aligned, two blanks apart; lines joined by "\n".
std::string ruleResultsText(const RuleClassification& results, const TableNames* names = nullptr);
// The time line and the results lines, each ended by CR LF: what kolven-cli classify prints.
std::string ruleReportText(const RuleClassification& results, const TableNames* names = nullptr);

} // namespace kolven
