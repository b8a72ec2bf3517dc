#include "rule_terms.h"

#include "text_format.h"

namespace kolven {

namespace {

void appendTerm(std::string& text, std::string_view numberedName, std::uint32_t column, float value,
                const TableNames* names)
{
    text += '(';
    if (names != nullptr) {
        appendWord(text, names->columns[column].name);
        text += '=';
        names->appendValue(text, column, value);
    } else {
        text += numberedName;
        text += '=';
        appendFixed(text, value, 3);
    }
    text += ')';
}

} // namespace

void appendConditionTerm(std::string& text, std::uint32_t attribute, float value, const TableNames* names)
{
    appendTerm(text, "a" + std::to_string(std::uint64_t(attribute) + 1), attribute, value, names);
}

void appendDecisionTerm(std::string& text, float value, const TableNames* names)
{
    const auto decisionColumn = names != nullptr ? std::uint32_t(names->columns.size() - 1) : 0;
    appendTerm(text, "d", decisionColumn, value, names);
}

} // namespace kolven
