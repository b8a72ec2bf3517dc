#include "rule_classifier.h"

#include "knn.h"
#include "listed_rules.h"
#include "perf_timer.h"
#include "ratio.h"
#include "text_format.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <map>
#include <unordered_map>
#include <utility>

namespace kolven {

namespace {

constexpr std::string_view kNotCaughtLabel = "nie chwycone";

// The distinct values among values, ascending; -0 is kept as 0 so that it prints as 0.000.
std::vector<float> distinctAscending(std::vector<float> values)
{
    for (float& value : values) {
        value = value == 0.0f ? 0.0f : value;
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

std::size_t indexOf(const std::vector<float>& distinct, float value)
{
    return std::size_t(std::lower_bound(distinct.begin(), distinct.end(), value) - distinct.begin());
}

std::string label(float value, const TableNames* names)
{
    std::string text;
    // -0 is the decision 0, and is labelled so.
    value = value == 0 ? 0.0f : value;
    if (names != nullptr) {
        names->appendValue(text, std::uint32_t(names->columns.size() - 1), value);
    } else {
        appendFixed(text, value, 3);
    }
    return text;
}

} // namespace

std::vector<std::vector<std::string>> confusionMatrixCells(const RuleClassification& results, const TableNames* names)
{
    names = names != nullptr && !names->empty() ? names : nullptr;
    std::vector<std::vector<std::string>> cells;
    std::vector<std::string> header{names != nullptr ? std::string(kConfusionMatrixCorner) : std::string()};
    for (float value : results.predictedDecisions) {
        header.push_back(label(value, names));
    }
    header.emplace_back(kNotCaughtLabel);
    cells.push_back(std::move(header));
    const std::size_t columns = results.predictedDecisions.size() + 1;
    for (std::size_t row = 0; row < results.trueDecisions.size(); ++row) {
        std::vector<std::string> line{label(results.trueDecisions[row], names)};
        for (std::size_t column = 0; column < columns; ++column) {
            line.push_back(std::to_string(results.counts[row * columns + column]));
        }
        cells.push_back(std::move(line));
    }
    return cells;
}

namespace {

// The rows of the matrix, the labels of the first column left-aligned, every other column
// right-aligned to its widest cell, columns two blanks apart.
std::string matrixText(const RuleClassification& results, const TableNames* names)
{
    const auto cells = confusionMatrixCells(results, names);
    std::vector<std::size_t> widths(cells.front().size(), 0);
    for (const auto& row : cells) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    std::string text;
    for (const auto& row : cells) {
        text += '\n';
        text += row[0] + std::string(widths[0] - row[0].size(), ' ');
        for (std::size_t column = 1; column < row.size(); ++column) {
            text += std::string(2 + widths[column] - row[column].size(), ' ') + row[column];
        }
    }
    return text;
}

// The support totals of the decisions of the rules that vote for an object.
class DecisionTotals {
public:
    // Adds the support of rule once to each distinct decision on its right side (equal values, -0
    // and 0 among them, being one decision).
    void add(const Lem2Rule& rule)
    {
        for (std::size_t i = 0; i < rule.decisions.size(); ++i) {
            const float decision = rule.decisions[i];
            const auto earlier = rule.decisions.begin() + std::ptrdiff_t(i);
            if (std::find(rule.decisions.begin(), earlier, decision) != earlier) {
                continue; // a decision listed twice on one right side gets the support once
            }
            const auto total = std::find_if(totals_.begin(), totals_.end(),
                                            [decision](const Total& t) { return t.decision == decision; });
            if (total == totals_.end()) {
                totals_.push_back({decision, rule.support});
            } else {
                total->support += rule.support;
            }
        }
    }

    // The decision of the strictly largest total; nullopt when no rule voted or the top is shared.
    std::optional<float> winner() const
    {
        if (totals_.empty()) {
            return std::nullopt;
        }
        const auto best = std::max_element(totals_.begin(), totals_.end(),
                                           [](const Total& a, const Total& b) { return a.support < b.support; });
        const auto sharing =
            std::count_if(totals_.begin(), totals_.end(), [&](const Total& t) { return t.support == best->support; });
        return sharing == 1 ? std::optional<float>(best->decision) : std::nullopt;
    }

private:
    struct Total {
        float decision;
        std::uint64_t support;
    };
    std::vector<Total> totals_;
};

// The predictions of every test object (nullopt: not caught), in table order; nothing when
// progress cancels them.
std::optional<std::vector<std::optional<float>>> predictions(const ClassificationRules& rules,
                                                             const SystemDecyzyjny& test, const Progress& progress)
{
    std::vector<std::optional<float>> predicted(test.objectCount);
    for (std::uint32_t object = 0; object < test.objectCount; ++object) {
        if (progress.cancelled()) {
            return std::nullopt;
        }
        predicted[object] = rules.matching == RuleMatching::Partial ? partialRuleVote(rules.rules, test.row(object))
                                                                    : ruleVote(rules.rules, test.row(object));
    }
    return predicted;
}

// A rule's values in the order of its conditions sorted by attribute, as bits that compare as the
// conditions do (-0 taken as 0); the key under which its objects find it.
using ValueKey = std::vector<std::uint32_t>;

std::uint32_t comparedBits(float value)
{
    return std::bit_cast<std::uint32_t>(value == 0.0f ? 0.0f : value);
}

struct ValueKeyHash {
    std::size_t operator()(const ValueKey& key) const
    {
        std::uint64_t hash = 0x9E3779B97F4A7C15u;
        for (std::uint32_t bits : key) {
            hash = (hash ^ bits) * 0xFF51AFD7ED558CCDu;
        }
        return std::size_t(hash ^ (hash >> 32));
    }
};

// counts[i][j]: the objects of table that match rule i and have its j-th decision (the first of
// equal decisions counting them), for the rules of several decisions; empty for the others. The
// rules over one list of attributes share one pass over the table, each object finding them by
// its values on those attributes.
std::vector<std::vector<std::uint32_t>> decisionCounts(std::span<const Lem2Rule> rules, const SystemDecyzyjny& table)
{
    std::vector<std::vector<std::uint32_t>> counts(rules.size());
    std::map<std::vector<std::uint32_t>, std::unordered_map<ValueKey, std::vector<std::size_t>, ValueKeyHash>> groups;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].decisions.size() < 2) {
            continue;
        }
        counts[i].assign(rules[i].decisions.size(), 0);
        auto conditions = rules[i].conditions;
        std::sort(conditions.begin(), conditions.end(), [](const auto& a, const auto& b) { return a.attribute < b.attribute; });
        std::vector<std::uint32_t> attributes;
        ValueKey key;
        for (const Lem2Rule::Condition& c : conditions) {
            attributes.push_back(c.attribute);
            key.push_back(comparedBits(c.value));
        }
        groups[attributes][key].push_back(i);
    }
    ValueKey key;
    for (const auto& [attributes, rulesByKey] : groups) {
        for (std::uint32_t object = 0; object < table.objectCount; ++object) {
            const float* row = table.row(object);
            key.clear();
            for (std::uint32_t a : attributes) {
                key.push_back(comparedBits(row[a]));
            }
            const auto found = rulesByKey.find(key);
            if (found == rulesByKey.end()) {
                continue;
            }
            for (std::size_t i : found->second) {
                const auto& decisions = rules[i].decisions;
                const auto own = std::find(decisions.begin(), decisions.end(), table.decision(object));
                if (own != decisions.end() && ruleMatches(rules[i], row)) {
                    ++counts[i][std::size_t(own - decisions.begin())];
                }
            }
        }
    }
    return counts;
}

// The rules voting by decision: each rule of several decisions becomes one rule a decision its
// objects in table have, with their count as support.
std::vector<Lem2Rule> votingByDecision(std::span<const Lem2Rule> rules, const SystemDecyzyjny& table)
{
    const auto counts = decisionCounts(rules, table);
    std::vector<Lem2Rule> voting;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (counts[i].empty()) {
            voting.push_back(rules[i]);
            continue;
        }
        for (std::size_t j = 0; j < counts[i].size(); ++j) {
            if (counts[i][j] > 0) {
                voting.push_back(Lem2Rule{rules[i].conditions, {rules[i].decisions[j]}, counts[i][j]});
            }
        }
    }
    return voting;
}

} // namespace

std::string_view ruleKindName(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Lem2: return "LEM2";
    case RuleKind::Lem2Simplified: return "LEM2 (uproszczone)";
    case RuleKind::Exhaustive: return "Exhaustive";
    }
    return {};
}

ClassificationRules classificationRules(const ERCIM& ercim)
{
    ClassificationRules set{RuleKind::Exhaustive, ercim.attributeCount, ercim.computed(), {}};
    for (ListedRule& listed : listedRules(ercim)) {
        set.rules.push_back(std::move(listed.rule));
    }
    return set;
}

ClassificationRules classificationRules(const LEM2v1& lem2, RuleVoting voting)
{
    // A run always yields at least one rule, so an empty table means no run yet.
    ClassificationRules set{lem2.simplified ? RuleKind::Lem2Simplified : RuleKind::Lem2, lem2.attributeCount,
                            !lem2.rules.empty(), voting == RuleVoting::ByDecision ? votingByDecision(lem2.rules, lem2)
                                                                                   : lem2.rules};
    set.voting = voting;
    return set;
}

std::string_view refusalMessage(RuleRefusal refusal)
{
    switch (refusal) {
    case RuleRefusal::NotComputed: return "Reguly nie zostaly wyliczone: najpierw wylicz reguly.";
    case RuleRefusal::AttributeMismatch: return kKnnAttributeMismatchMessage;
    }
    return {};
}

std::optional<float> ruleVote(std::span<const Lem2Rule> rules, const float* row)
{
    DecisionTotals totals;
    for (const Lem2Rule& rule : rules) {
        if (ruleMatches(rule, row)) {
            totals.add(rule);
        }
    }
    return totals.winner();
}

std::optional<float> partialRuleVote(std::span<const Lem2Rule> rules, const float* row)
{
    // held[i]: how many conditions of rule i hold; the largest share so far is bestHeld / bestOf.
    std::vector<std::uint64_t> held(rules.size());
    std::uint64_t bestHeld = 0;
    std::uint64_t bestOf = 1;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const auto& conditions = rules[i].conditions;
        const auto holds = [row](const Lem2Rule::Condition& c) { return row[c.attribute] == c.value; };
        held[i] = std::uint64_t(std::count_if(conditions.begin(), conditions.end(), holds));
        if (held[i] == conditions.size()) {
            return ruleVote(rules, row);
        }
        if (held[i] * bestOf > bestHeld * conditions.size()) {
            bestHeld = held[i];
            bestOf = conditions.size();
        }
    }
    DecisionTotals totals;
    for (std::size_t i = 0; i < rules.size() && bestHeld > 0; ++i) {
        if (held[i] * bestOf == bestHeld * rules[i].conditions.size()) {
            totals.add(rules[i]);
        }
    }
    return totals.winner();
}

std::optional<RuleRefusal> classifyByRules(const ClassificationRules& rules, const SystemDecyzyjny& test,
                                           RuleClassification& results, const Progress& progress)
{
    if (!rules.computed) {
        return RuleRefusal::NotComputed;
    }
    if (rules.attributeCount != test.attributeCount) {
        return RuleRefusal::AttributeMismatch;
    }
    PerfTimer timer;
    timer.start();
    const auto cancellable = predictions(rules, test, progress);
    if (!cancellable) {
        return std::nullopt;
    }
    const auto& predicted = *cancellable;
    RuleClassification made;
    made.kind = rules.kind;
    made.matching = rules.matching;
    made.voting = rules.voting;
    made.testObjectCount = test.objectCount;
    std::vector<float> own(test.objectCount);
    std::vector<float> given;
    for (std::uint32_t object = 0; object < test.objectCount; ++object) {
        own[object] = test.decision(object);
        if (predicted[object]) {
            given.push_back(*predicted[object]);
        }
    }
    made.trueDecisions = distinctAscending(own);
    made.predictedDecisions = distinctAscending(given);
    const std::size_t columns = made.predictedDecisions.size() + 1;
    made.counts.assign(made.trueDecisions.size() * columns, 0);
    for (std::uint32_t object = 0; object < test.objectCount; ++object) {
        const std::size_t row = indexOf(made.trueDecisions, own[object]);
        const std::size_t column =
            predicted[object] ? indexOf(made.predictedDecisions, *predicted[object]) : columns - 1;
        ++made.counts[row * columns + column];
        made.caughtCount += predicted[object] ? 1 : 0;
        made.correctCount += predicted[object] && *predicted[object] == own[object] ? 1 : 0;
    }
    made.accuracy = countRatio(made.correctCount, made.caughtCount);
    made.coverage = countRatio(made.caughtCount, made.testObjectCount);
    made.elapsedSeconds = timer.stop();
    results = std::move(made);
    return std::nullopt;
}

std::string ruleSummaryText(const RuleClassification& results)
{
    return "Reguly: " + std::string(ruleKindName(results.kind)) +
           (results.matching == RuleMatching::Partial ? ", " + std::string(kPartialMatchingLabel) : std::string()) +
           (results.voting == RuleVoting::ByDecision ? ", " + std::string(kByDecisionVotingLabel) : std::string()) +
           classificationFiguresText(results.testObjectCount, results.caughtCount, results.correctCount,
                                     results.accuracy, results.coverage);
}

std::string ruleResultsText(const RuleClassification& results, const TableNames* names)
{
    return ruleSummaryText(results) + '\n' + matrixText(results, names);
}

std::string ruleReportText(const RuleClassification& results, const TableNames* names)
{
    return timedReport(results.elapsedSeconds, ruleResultsText(results, names));
}

} // namespace kolven
