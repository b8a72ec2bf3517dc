#include "lem2_induction.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

namespace kolven {

namespace {

// Every pair (attribute, value) of the table as a whole number, its code: equal for equal values
// (0 and -0 alike), different for different values or attributes. Pairs are then counted in
// arrays indexed by code and rows matched by comparing integers. Also, for every pair, its block:
// the grouped rows that carry it, ascending.
class PairCodes {
public:
    explicit PairCodes(const SystemDecyzyjny& table)
        : objects(table.objectCount), codes(std::size_t(objects) * table.attributeCount), blockRows(codes.size())
    {
        std::vector<std::uint64_t> keyed(objects);
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            for (std::uint32_t row = 0; row < objects; ++row) {
                const float value = table.groupedRows[std::size_t(row) * table.rowLength + a];
                keyed[row] = (std::uint64_t(equalityKey(value)) << 32) | row;
            }
            // By value, then by row: each block is one run of rows, ascending.
            std::sort(keyed.begin(), keyed.end());
            const std::size_t base = std::size_t(a) * objects;
            for (std::uint32_t i = 0; i < objects; ++i) {
                if (i == 0 || keyed[i] >> 32 != keyed[i - 1] >> 32) {
                    blockStarts.push_back(base + i);
                }
                const auto row = std::uint32_t(keyed[i]);
                blockRows[base + i] = row;
                codes[base + row] = std::uint32_t(blockStarts.size() - 1);
            }
        }
        blockStarts.push_back(blockRows.size());
    }

    // The codes of one attribute's pairs, indexed by grouped row.
    const std::uint32_t* column(std::uint32_t attribute) const { return codes.data() + std::size_t(attribute) * objects; }
    // The number of distinct pairs: codes run from 0 to one less.
    std::uint32_t codeCount() const { return std::uint32_t(blockStarts.size() - 1); }
    // The block of a pair: the grouped rows that carry it, ascending.
    std::span<const std::uint32_t> block(std::uint32_t code) const
    {
        return {blockRows.data() + blockStarts[code], blockRows.data() + blockStarts[code + 1]};
    }

private:
    // The bits of a finite value, with -0 made +0: equal keys exactly for equal values.
    static std::uint32_t equalityKey(float value) { return std::bit_cast<std::uint32_t>(value + 0.0f); }

    std::uint32_t objects;
    std::vector<std::uint32_t> codes;     // attribute by attribute, row by row
    std::vector<std::uint32_t> blockRows; // attribute by attribute, block by block
    std::vector<std::size_t> blockStarts; // where each code's block begins in blockRows
};

// The working state of one induction over a table whose decision classes are built. It makes the
// same choices as the straightforward induction in fewer steps:
// - the concept's uncovered objects are tallied per pair once and the tally is lowered as rules
//   cover them, so a rule's first pair is read off the tally;
// - the later pairs are counted in one pass over the goal set per attribute;
// - the rows of other concepts that still match the rule start as the first pair's block and are
//   narrowed by each new condition instead of being searched for again.
class Lem2FastRun {
public:
    Lem2FastRun(const SystemDecyzyjny& table, Progress& runProgress)
        : source(table), progress(runProgress), codes(table), counts(codes.codeCount(), 0), uncoveredTally(codes.codeCount(), 0),
          firstCarrier(codes.codeCount(), 0), conceptCodes(table.attributeCount), coveredFlags(table.objectCount, 0),
          uncoveredRows(table.objectCount, 0), usedAttributes(table.attributeCount, 0)
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
        tallyUncovered();
        while (uncoveredCount > 0 && !progress.cancelled()) {
            rules.push_back(induceRule());
        }
    }

    // Marks the concept's objects that no earlier full-length rule covered and tallies them per
    // pair, noting for each pair its first carrier in the block.
    void tallyUncovered()
    {
        uncoveredCount = 0;
        for (auto& list : conceptCodes) {
            list.clear();
        }
        for (std::uint32_t row = conceptStart; row < conceptEnd(); ++row) {
            if (coveredFlags[row] != 0) {
                continue;
            }
            uncoveredRows[row] = 1;
            ++uncoveredCount;
            for (std::uint32_t a = 0; a < source.attributeCount; ++a) {
                const std::uint32_t code = codes.column(a)[row];
                if (uncoveredTally[code]++ == 0) {
                    conceptCodes[a].push_back(code);
                    const auto block = codes.block(code);
                    firstCarrier[code] = std::uint32_t(std::lower_bound(block.begin(), block.end(), row) - block.begin());
                }
            }
        }
    }

    // One rule for the objects not yet covered: conditions are added until no row of another
    // concept matches or every attribute has one; closing the rule covers its final goal set.
    Lem2Rule induceRule()
    {
        Lem2Rule rule;
        rule.conditions.reserve(source.attributeCount);
        std::fill(usedAttributes.begin(), usedAttributes.end(), std::uint8_t{0});
        selectFirstPair();
        goalFromBlock();
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

    // The pair carried by the most uncovered objects, read off the tally, with the same ties as
    // selectPair: the smaller attribute, then the pair whose first carrier comes first. Pairs
    // no longer carried leave the concept's lists on the way.
    void selectFirstPair()
    {
        bestCount = 0;
        for (std::uint32_t a = 0; a < source.attributeCount && bestCount < uncoveredCount; ++a) {
            auto& list = conceptCodes[a];
            for (std::size_t k = 0; k < list.size();) {
                const std::uint32_t code = list[k];
                const std::uint32_t count = uncoveredTally[code];
                if (count == 0) {
                    list[k] = list.back();
                    list.pop_back();
                    continue;
                }
                const std::uint32_t first = firstUncoveredCarrier(code);
                if (count > bestCount || (count == bestCount && a == bestAttribute && first < bestRow)) {
                    bestCount = count;
                    bestAttribute = a;
                    bestRow = first;
                    bestCode = code;
                }
                ++k;
            }
        }
        bestValue = groupedRow(conceptStart + bestRow)[bestAttribute];
    }

    // The concept-local index of the first uncovered object carrying a pair whose tally is not
    // zero. Objects only ever become covered, so the search resumes where it stopped last time.
    std::uint32_t firstUncoveredCarrier(std::uint32_t code)
    {
        const auto block = codes.block(code);
        std::uint32_t position = firstCarrier[code];
        while (uncoveredRows[block[position]] == 0) {
            ++position;
        }
        firstCarrier[code] = position;
        return block[position] - conceptStart;
    }

    // The goal set narrowed by the first pair: the uncovered objects of its block, ascending.
    void goalFromBlock()
    {
        goalList.clear();
        const auto block = codes.block(bestCode);
        for (auto row = block.begin() + firstCarrier[bestCode]; row != block.end() && *row < conceptEnd(); ++row) {
            if (uncoveredRows[*row] != 0) {
                goalList.push_back(*row - conceptStart);
            }
        }
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

    // The rows of other concepts, earlier or later, covered or not, that carry the first pair:
    // its block without the concept's own rows.
    void collectOpponents()
    {
        const auto block = codes.block(bestCode);
        const auto conceptFirst = std::lower_bound(block.begin(), block.end(), conceptStart);
        const auto conceptLast = std::lower_bound(conceptFirst, block.end(), conceptEnd());
        opponents.assign(block.begin(), conceptFirst);
        opponents.insert(opponents.end(), conceptLast, block.end());
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

    // The final goal set is covered: its objects leave the uncovered ones and the tally.
    void coverGoal()
    {
        for (std::uint32_t g : goalList) {
            const std::uint32_t row = conceptStart + g;
            uncoveredRows[row] = 0;
            for (std::uint32_t a = 0; a < source.attributeCount; ++a) {
                --uncoveredTally[codes.column(a)[row]];
            }
        }
        uncoveredCount -= static_cast<std::uint32_t>(goalList.size());
    }

    const SystemDecyzyjny& source;
    Progress& progress;
    const PairCodes codes;
    std::vector<std::uint32_t> counts;         // per code; all zero between two countPairs
    std::vector<std::uint32_t> uncoveredTally; // per code: the concept's uncovered objects carrying it
    std::vector<std::uint32_t> firstCarrier;   // per code: no uncovered carrier before this place in its block
    std::vector<std::vector<std::uint32_t>> conceptCodes; // per attribute: codes the concept's objects carry
    std::vector<Lem2Rule> rules;

    std::uint32_t conceptStart = 0; // first row of the concept in the grouped rows
    std::uint32_t conceptSize = 0;
    std::uint32_t uncoveredCount = 0;
    std::vector<std::uint32_t> goalList;     // concept-local indices, ascending
    std::vector<std::uint32_t> opponents;    // grouped rows outside the concept matching the rule, ascending
    std::vector<std::uint8_t> coveredFlags;  // per grouped row: covered by an earlier full-length rule
    std::vector<std::uint8_t> uncoveredRows; // per grouped row: an object of the concept not yet covered
    std::vector<std::uint8_t> usedAttributes;

    std::uint32_t bestAttribute = 0;
    std::uint32_t bestRow = 0; // concept-local index of the first goal object carrying the pair
    std::uint32_t bestCount = 0;
    std::uint32_t bestCode = 0;
    float bestValue = 0;
};

} // namespace

std::vector<Lem2Rule> induceLem2Rules(const SystemDecyzyjny& table, Progress& progress)
{
    return Lem2FastRun(table, progress).induceAll();
}

} // namespace kolven
