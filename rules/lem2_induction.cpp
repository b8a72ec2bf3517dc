#include "lem2_induction.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace kolven {

namespace {

// Every grouped row's value of every condition attribute as a small whole number, equal for
// equal values (0 and -0 alike) and different for different ones, so that pairs are counted in
// an array indexed by it and rows are matched by comparing integers. Attribute by attribute, so
// that one attribute of consecutive rows lies together.
class ValueCodes {
public:
    explicit ValueCodes(const SystemDecyzyjny& table)
        : objects(table.objectCount), codes(std::size_t(table.objectCount) * table.attributeCount)
    {
        std::vector<std::uint64_t> keyed(objects);
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            for (std::uint32_t row = 0; row < objects; ++row) {
                const float value = table.groupedRows[std::size_t(row) * table.rowLength + a];
                keyed[row] = (std::uint64_t(equalityKey(value)) << 32) | row;
            }
            std::sort(keyed.begin(), keyed.end());
            std::uint32_t* column = codes.data() + std::size_t(a) * objects;
            std::uint32_t code = 0;
            for (std::uint32_t i = 0; i < objects; ++i) {
                if (i > 0 && keyed[i] >> 32 != keyed[i - 1] >> 32) {
                    ++code;
                }
                column[std::uint32_t(keyed[i])] = code;
            }
            distinct = std::max(distinct, code + 1);
        }
    }

    // The codes of one attribute, indexed by grouped row.
    const std::uint32_t* column(std::uint32_t attribute) const { return codes.data() + std::size_t(attribute) * objects; }
    // One more than the largest code of any attribute.
    std::uint32_t distinctCount() const { return distinct; }

private:
    // The bits of a finite value, with -0 made +0: equal keys exactly for equal values.
    static std::uint32_t equalityKey(float value) { return std::bit_cast<std::uint32_t>(value + 0.0f); }

    std::uint32_t objects;
    std::uint32_t distinct = 0;
    std::vector<std::uint32_t> codes;
};

// The working state of one induction over a table whose decision classes are built. It makes the
// same choices as the straightforward induction in fewer steps: each attribute's pairs are
// counted in one pass over the goal set, and the rows outside the concept that still match the
// rule are kept and narrowed by each new condition instead of being searched for again.
class Lem2FastRun {
public:
    explicit Lem2FastRun(const SystemDecyzyjny& table)
        : source(table), codes(table), counts(codes.distinctCount(), 0), coveredFlags(table.objectCount, 0),
          usedAttributes(table.attributeCount, 0)
    {
        rules.reserve(table.objectCount);
    }

    // Induces every concept in ascending decision value and returns the rules in induction order.
    std::vector<Lem2Rule> induceAll()
    {
        std::uint32_t start = 0;
        for (std::uint32_t c = 0; c < source.classCount; ++c) {
            conceptStart = start;
            conceptSize = source.classSize(c);
            induceConceptRules();
            start += conceptSize;
        }
        return std::move(rules);
    }

private:
    std::uint32_t conceptEnd() const { return conceptStart + conceptSize; }
    const float* groupedRow(std::uint32_t row) const
    {
        return source.groupedRows.data() + std::size_t(row) * source.rowLength;
    }
    const std::uint32_t* conceptColumn(std::uint32_t attribute) const { return codes.column(attribute) + conceptStart; }

    // Rules of one concept until each of its objects is covered, by its own rules or by the
    // full-length rules of earlier concepts (their flags).
    void induceConceptRules()
    {
        uncovered.clear();
        for (std::uint32_t i = 0; i < conceptSize; ++i) {
            if (coveredFlags[conceptStart + i] == 0) {
                uncovered.push_back(i);
            }
        }
        while (!uncovered.empty()) {
            rules.push_back(induceRule());
        }
    }

    // One rule for the objects not yet covered: conditions are added until no row of another
    // concept matches or every attribute has one; closing the rule covers its final goal set.
    Lem2Rule induceRule()
    {
        Lem2Rule rule;
        rule.conditions.reserve(source.attributeCount);
        goalList = uncovered;
        std::fill(usedAttributes.begin(), usedAttributes.end(), std::uint8_t{0});
        selectPair();
        narrowGoal();
        addCondition(rule);
        collectOpponents();
        while (rule.conditions.size() < source.attributeCount && !opponents.empty()) {
            usedAttributes[bestAttribute] = 1;
            selectPair();
            narrowGoal();
            addCondition(rule);
            narrowOpponents();
        }
        if (rule.conditions.size() == source.attributeCount) {
            completeFullLength(rule);
        }
        rule.support += static_cast<std::uint32_t>(goalList.size());
        coverGoal();
        return rule;
    }

    // The pair (unused attribute, value of a goal object) carried by the most goal objects; ties
    // go to the smaller attribute, then to the value of the goal object that comes first.
    void selectPair()
    {
        bestCount = 0;
        const auto goalCount = static_cast<std::uint32_t>(goalList.size());
        for (std::uint32_t a = 0; a < source.attributeCount && bestCount < goalCount; ++a) {
            if (usedAttributes[a] == 0) {
                countPairs(a);
            }
        }
        bestCode = conceptColumn(bestAttribute)[bestRow];
        bestValue = groupedRow(conceptStart + bestRow)[bestAttribute];
    }

    // Counts the goal objects of each value of one attribute, then visits the goal objects in
    // order: the first to carry a value sees its full count (and clears it for the next use), so
    // a later attribute or value wins only with a strictly larger count.
    void countPairs(std::uint32_t attribute)
    {
        const std::uint32_t* column = conceptColumn(attribute);
        for (std::uint32_t g : goalList) {
            ++counts[column[g]];
        }
        for (std::uint32_t g : goalList) {
            std::uint32_t& count = counts[column[g]];
            if (count > bestCount) {
                bestCount = count;
                bestAttribute = attribute;
                bestRow = g;
            }
            count = 0;
        }
    }

    // Keeps in the goal set only the objects that carry the selected pair.
    void narrowGoal()
    {
        if (goalList.size() == bestCount) {
            return;
        }
        const std::uint32_t* column = conceptColumn(bestAttribute);
        std::erase_if(goalList, [this, column](std::uint32_t g) { return column[g] != bestCode; });
    }

    // The selected pair becomes the rule's next condition; the rule's decision is that of the
    // object that carried it first.
    void addCondition(Lem2Rule& rule) const
    {
        rule.conditions.push_back({bestAttribute, bestValue});
        rule.decisions.assign(1, groupedRow(conceptStart + bestRow)[source.attributeCount]);
    }

    // The rows of other concepts, earlier or later, covered or not, that carry the first pair.
    void collectOpponents()
    {
        opponents.clear();
        const std::uint32_t* column = codes.column(bestAttribute);
        for (std::uint32_t row = 0; row < conceptStart; ++row) {
            if (column[row] == bestCode) {
                opponents.push_back(row);
            }
        }
        for (std::uint32_t row = conceptEnd(); row < source.objectCount; ++row) {
            if (column[row] == bestCode) {
                opponents.push_back(row);
            }
        }
    }

    // Keeps only the rows that also carry the pair just added.
    void narrowOpponents()
    {
        const std::uint32_t* column = codes.column(bestAttribute);
        std::erase_if(opponents, [this, column](std::uint32_t row) { return column[row] != bestCode; });
    }

    // A rule on every attribute cannot be made consistent: it also takes the rows of later
    // classes with the same values (the later rows still matching, in row order), their
    // decisions and their support, and covers them.
    void completeFullLength(Lem2Rule& rule)
    {
        const auto later = std::lower_bound(opponents.begin(), opponents.end(), conceptEnd());
        for (auto row = later; row != opponents.end(); ++row) {
            ++rule.support;
            coveredFlags[*row] = 1;
            const float decision = groupedRow(*row)[source.attributeCount];
            if (decision != rule.decisions.back()) {
                rule.decisions.push_back(decision);
            }
        }
    }

    // Removes the final goal set, a subset of the uncovered objects, from them.
    void coverGoal()
    {
        auto goal = goalList.begin();
        auto kept = uncovered.begin();
        for (std::uint32_t i : uncovered) {
            if (goal != goalList.end() && *goal == i) {
                ++goal;
            } else {
                *kept++ = i;
            }
        }
        uncovered.erase(kept, uncovered.end());
    }

    const SystemDecyzyjny& source;
    const ValueCodes codes;
    std::vector<std::uint32_t> counts; // per value code; all zero between two countPairs
    std::vector<Lem2Rule> rules;

    std::uint32_t conceptStart = 0; // first row of the concept in the grouped rows
    std::uint32_t conceptSize = 0;
    std::vector<std::uint32_t> uncovered; // concept-local indices, ascending
    std::vector<std::uint32_t> goalList;  // concept-local indices, ascending
    std::vector<std::uint32_t> opponents; // grouped rows outside the concept matching the rule, ascending
    std::vector<std::uint8_t> coveredFlags; // per grouped row: covered by an earlier full-length rule
    std::vector<std::uint8_t> usedAttributes;

    std::uint32_t bestAttribute = 0;
    std::uint32_t bestRow = 0; // concept-local index of the first goal object carrying the pair
    std::uint32_t bestCount = 0;
    std::uint32_t bestCode = 0;
    float bestValue = 0;
};

} // namespace

std::vector<Lem2Rule> induceLem2Rules(const SystemDecyzyjny& table)
{
    return Lem2FastRun(table).induceAll();
}

} // namespace kolven
