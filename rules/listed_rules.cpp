#include "listed_rules.h"

#include "ratio.h"
#include "text_format.h"

#include <algorithm>
#include <cstdint>

namespace kolven {

namespace {

bool onRightSide(const Lem2Rule& rule, float decision)
{
    return std::find(rule.decisions.begin(), rule.decisions.end(), decision) != rule.decisions.end();
}

// A CSV field, quoted (its quotes doubled) only when it holds a separator, a quote or a line break.
std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

void appendRatio(std::string& text, std::uint32_t part, std::uint32_t whole)
{
    appendFixed(text, countRatio(part, whole), 3);
}

} // namespace

std::vector<ListedRule> listedRules(const LEM2v1& lem2, const TableNames* names)
{
    std::vector<ListedRule> rules;
    rules.reserve(lem2.rules.size());
    for (const Lem2Rule& rule : lem2.rules) {
        rules.push_back({rule, lem2RuleText(rule, names)});
    }
    return rules;
}

bool ruleMatches(const Lem2Rule& rule, const float* row)
{
    return std::all_of(rule.conditions.begin(), rule.conditions.end(),
                       [row](const Lem2Rule::Condition& c) { return row[c.attribute] == c.value; });
}

std::string ruleStatisticsCsv(const SystemDecyzyjny& table, std::span<const ListedRule> rules)
{
    std::string csv = "rule,length,support,matched,accuracy,coverage";
    csv += kLineEnd;
    for (const ListedRule& listed : rules) {
        std::uint32_t matched = 0;
        std::uint32_t matchedOfDecision = 0;
        std::uint32_t ofDecision = 0;
        for (std::uint32_t object = 0; object < table.objectCount; ++object) {
            const bool sameDecision = onRightSide(listed.rule, table.decision(object));
            ofDecision += sameDecision ? 1 : 0;
            if (ruleMatches(listed.rule, table.row(object))) {
                ++matched;
                matchedOfDecision += sameDecision ? 1 : 0;
            }
        }
        csv += csvField(listed.text);
        csv += ',' + std::to_string(listed.rule.conditions.size());
        csv += ',' + std::to_string(listed.rule.support);
        csv += ',' + std::to_string(matched) + ',';
        appendRatio(csv, matchedOfDecision, matched);
        csv += ',';
        appendRatio(csv, listed.rule.support, ofDecision);
        csv += kLineEnd;
    }
    return csv;
}

} // namespace kolven
