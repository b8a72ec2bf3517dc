#include "lem2.h"

#include "listed_rules.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kolven {

namespace {

// The objects of table that rule matches, ascending.
std::vector<std::uint32_t> matchedObjects(const SystemDecyzyjny& table, const Lem2Rule& rule)
{
    std::vector<std::uint32_t> objects;
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        if (ruleMatches(rule, table.row(object))) {
            objects.push_back(object);
        }
    }
    return objects;
}

// A rule with one decision that matches no object of another decision.
bool consistentOneDecision(const SystemDecyzyjny& table, const Lem2Rule& rule)
{
    if (rule.decisions.size() != 1) {
        return false;
    }
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        if (table.decision(object) != rule.decisions.front() && ruleMatches(rule, table.row(object))) {
            return false;
        }
    }
    return true;
}

// Drops, in the order chosen, each condition whose removal keeps the rule consistent; the rule
// keeps at least one.
void dropConditions(const SystemDecyzyjny& table, Lem2Rule& rule)
{
    std::size_t i = 0;
    while (i < rule.conditions.size() && rule.conditions.size() > 1) {
        Lem2Rule trial = rule;
        trial.conditions.erase(trial.conditions.begin() + std::ptrdiff_t(i));
        if (consistentOneDecision(table, trial)) {
            rule = std::move(trial);
        } else {
            ++i;
        }
    }
}

// The rules first to end - 1 of one concept, simplified; the dropped ones are marked in dropped.
void simplifyConcept(const SystemDecyzyjny& table, std::vector<Lem2Rule>& rules, std::size_t first, std::size_t end,
                     std::vector<bool>& dropped)
{
    // Per object, how many remaining simplified rules of the concept match it; a rule all of whose
    // objects another such rule matches as well adds nothing and goes.
    std::vector<std::uint32_t> matchCount(table.objectCount, 0);
    std::vector<std::vector<std::uint32_t>> matched(end - first);
    std::vector<bool> simplified(end - first, false);
    for (std::size_t r = first; r < end; ++r) {
        if (!consistentOneDecision(table, rules[r])) {
            continue; // rules with several decisions, or that cannot be certain, stay as induced
        }
        dropConditions(table, rules[r]);
        simplified[r - first] = true;
        matched[r - first] = matchedObjects(table, rules[r]);
        for (std::uint32_t object : matched[r - first]) {
            ++matchCount[object];
        }
    }
    for (std::size_t r = first; r < end; ++r) {
        if (!simplified[r - first]) {
            continue;
        }
        const auto& objects = matched[r - first];
        bool coveredElsewhere = true;
        for (std::uint32_t object : objects) {
            coveredElsewhere = coveredElsewhere && matchCount[object] > 1;
        }
        if (coveredElsewhere) {
            dropped[r] = true;
            for (std::uint32_t object : objects) {
                --matchCount[object];
            }
        } else {
            rules[r].support = static_cast<std::uint32_t>(objects.size());
        }
    }
}

} // namespace

std::vector<Lem2Rule> simplifyLem2Rules(const SystemDecyzyjny& table, std::vector<Lem2Rule> rules)
{
    std::vector<bool> dropped(rules.size(), false);
    // The rules of a concept follow each other, in the induction's order of concepts; each begins
    // with its concept's decision.
    std::size_t first = 0;
    while (first < rules.size()) {
        std::size_t end = first + 1;
        while (end < rules.size() && rules[end].decisions.front() == rules[first].decisions.front()) {
            ++end;
        }
        simplifyConcept(table, rules, first, end, dropped);
        first = end;
    }
    std::vector<Lem2Rule> kept;
    for (std::size_t r = 0; r < rules.size(); ++r) {
        if (!dropped[r]) {
            kept.push_back(std::move(rules[r]));
        }
    }
    return kept;
}

} // namespace kolven
