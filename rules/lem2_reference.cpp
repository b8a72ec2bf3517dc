#include "lem2_induction.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kolven {

namespace {

// Calls induceConcept(first grouped row, number of rows) for each decision class of table in
// ascending decision value, one after the other.
template <typename InduceConcept>
void forEachConcept(const SystemDecyzyjny& table, Progress& progress, InduceConcept induceConcept)
{
    std::uint32_t start = 0;
    for (std::uint32_t c = 0; c < table.classCount && !progress.cancelled(); ++c) {
        progress.report(0, c, table.classCount);
        induceConcept(start, table.classSize(c));
        start += table.classSize(c);
    }
}

// The working state of one induction over a table whose decision classes are built: the concept
// being processed, its goal and covered sets, and the pair selected last. The rules are collected
// here and handed over only when every concept is done.
class Lem2Run {
public:
    Lem2Run(const SystemDecyzyjny& table, Progress& runProgress)
        : source(table), progress(runProgress), coveredFlags(table.objectCount, 0), usedAttributes(table.attributeCount, 0)
    {
        rules.reserve(table.objectCount);
    }

    // Induces every concept in ascending decision value and returns the rules in induction order.
    std::vector<Lem2Rule> induceAll()
    {
        forEachConcept(source, progress, [this](std::uint32_t start, std::uint32_t size) {
            conceptStart = start;
            conceptSize = size;
            induceConceptRules();
        });
        return std::move(rules);
    }

private:
    const float* groupedRow(std::uint32_t row) const
    {
        return source.groupedRows.data() + std::size_t(row) * source.rowLength;
    }
    const float* conceptRow(std::uint32_t local) const { return groupedRow(conceptStart + local); }
    float goalValue(std::uint32_t local, std::uint32_t attribute) const { return conceptRow(local)[attribute]; }
    std::uint32_t conceptEnd() const { return conceptStart + conceptSize; }

    static bool matches(const float* row, const Lem2Rule& rule)
    {
        return std::all_of(rule.conditions.begin(), rule.conditions.end(),
                           [row](const Lem2Rule::Condition& c) { return row[c.attribute] == c.value; });
    }

    // Rules of one concept until each of its objects is covered, by its own rules or by the
    // full-length rules of earlier concepts (their flags).
    void induceConceptRules()
    {
        coveredList.clear();
        for (std::uint32_t i = 0; i < conceptSize; ++i) {
            if (coveredFlags[conceptStart + i] != 0) {
                coveredList.push_back(i);
            }
        }
        while (coveredList.size() < conceptSize && !progress.cancelled()) {
            rules.push_back(induceRule());
        }
    }

    // One rule for the objects not yet covered; closing it covers its final goal set.
    Lem2Rule induceRule()
    {
        Lem2Rule rule;
        rule.conditions.reserve(source.attributeCount);
        buildGoalList();
        std::fill(usedAttributes.begin(), usedAttributes.end(), std::uint8_t{0});
        selectPair();
        for (;;) {
            narrowGoal();
            rule.conditions.push_back({bestAttribute, bestValue});
            rule.decisions.assign(1, conceptRow(bestRow)[source.attributeCount]);
            if (rule.conditions.size() == source.attributeCount) {
                completeFullLength(rule);
                break;
            }
            if (!matchedOutsideConcept(rule)) {
                break;
            }
            usedAttributes[bestAttribute] = 1;
            selectPair();
        }
        rule.support += static_cast<std::uint32_t>(goalList.size());
        coverGoal();
        return rule;
    }

    // The goal set: the concept's objects not covered yet, ascending.
    void buildGoalList()
    {
        goalList.clear();
        auto covered = coveredList.begin();
        for (std::uint32_t i = 0; i < conceptSize; ++i) {
            if (covered != coveredList.end() && *covered == i) {
                ++covered;
            } else {
                goalList.push_back(i);
            }
        }
    }

    // The pair (unused attribute, value of a goal object) carried by the most goal objects; ties
    // go to the smaller attribute, then to the value of the goal object that comes first.
    void selectPair()
    {
        bestCount = 0;
        for (std::uint32_t a = 0; a < source.attributeCount; ++a) {
            if (usedAttributes[a] != 0) {
                continue;
            }
            for (auto first = goalList.begin(); first != goalList.end(); ++first) {
                // Counting only from this goal object on is enough: for a value that an earlier
                // goal object carries, the earlier count is at least as large and was seen first.
                const float v = goalValue(*first, a);
                const auto count = static_cast<std::uint32_t>(std::count_if(
                    first, goalList.end(), [&](std::uint32_t g) { return goalValue(g, a) == v; }));
                if (count > bestCount) {
                    bestAttribute = a;
                    bestValue = v;
                    bestRow = *first;
                    bestCount = count;
                }
            }
        }
    }

    // Keeps in the goal set only the objects that carry the selected pair.
    void narrowGoal()
    {
        if (goalList.size() == bestCount) {
            return;
        }
        std::erase_if(goalList, [this](std::uint32_t g) { return goalValue(g, bestAttribute) != bestValue; });
    }

    // Whether any row of another concept, earlier or later, covered or not, matches the rule.
    bool matchedOutsideConcept(const Lem2Rule& rule) const
    {
        return anyRowMatches(0, conceptStart, rule) || anyRowMatches(conceptEnd(), source.objectCount, rule);
    }

    bool anyRowMatches(std::uint32_t from, std::uint32_t to, const Lem2Rule& rule) const
    {
        for (std::uint32_t row = from; row < to; ++row) {
            if (matches(groupedRow(row), rule)) {
                return true;
            }
        }
        return false;
    }

    // A rule on every attribute cannot be made consistent: it also takes the rows of later
    // classes with the same values, their decisions and their support, and covers them.
    void completeFullLength(Lem2Rule& rule)
    {
        for (std::uint32_t row = conceptEnd(); row < source.objectCount; ++row) {
            const float* values = groupedRow(row);
            if (!matches(values, rule)) {
                continue;
            }
            ++rule.support;
            coveredFlags[row] = 1;
            const float decision = values[source.attributeCount];
            if (decision != rule.decisions.back()) {
                rule.decisions.push_back(decision);
            }
        }
    }

    // Adds the final goal set to the covered objects (the two sets are disjoint).
    void coverGoal()
    {
        std::vector<std::uint32_t> merged;
        merged.reserve(coveredList.size() + goalList.size());
        std::merge(coveredList.begin(), coveredList.end(), goalList.begin(), goalList.end(), std::back_inserter(merged));
        coveredList = std::move(merged);
    }

    const SystemDecyzyjny& source;
    Progress& progress;
    std::vector<Lem2Rule> rules;

    std::uint32_t conceptStart = 0; // first row of the concept in the grouped rows
    std::uint32_t conceptSize = 0;
    std::vector<std::uint32_t> coveredList; // concept-local indices, ascending
    std::vector<std::uint32_t> goalList;    // concept-local indices, ascending
    std::vector<std::uint8_t> coveredFlags; // per grouped row: covered by an earlier full-length rule
    std::vector<std::uint8_t> usedAttributes;

    std::uint32_t bestAttribute = 0;
    std::uint32_t bestRow = 0; // concept-local index of the first goal object carrying the pair
    std::uint32_t bestCount = 0;
    float bestValue = 0;
};

} // namespace

std::vector<Lem2Rule> induceLem2RulesReference(const SystemDecyzyjny& table, Progress& progress)
{
    return Lem2Run(table, progress).induceAll();
}

} // namespace kolven
