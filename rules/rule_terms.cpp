#include "rule_terms.h"

#include "text_format.h"

#include <charconv>
#include <string_view>

namespace kolven {

namespace {

void appendTerm(std::string& text, std::string_view numberedName, std::uint32_t column, float value,
                const TableNames* names)
{
    text += '(';
    if (names != nullptr) {
        text += names->columns[column].name;
        text += '=';
        names->appendValue(text, column, value);
    } else {
        text += numberedName;
        text += '=';
        appendFixed3(text, value);
    }
    text += ')';
}

} // namespace

void appendConditionTerm(std::string& text, std::uint32_t attribute, float value, const TableNames* names)
{
    char name[24] = "a";
    const auto end = std::to_chars(name + 1, name + sizeof name, std::uint64_t(attribute) + 1).ptr;
    appendTerm(text, std::string_view(name, std::size_t(end - name)), attribute, value, names);
}

void appendDecisionTerm(std::string& text, float value, const TableNames* names)
{
    const auto decisionColumn = names != nullptr ? std::uint32_t(names->columns.size() - 1) : 0;
    appendTerm(text, "d", decisionColumn, value, names);
}

} // namespace kolven
