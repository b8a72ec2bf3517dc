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
        appendWord(text, names->columns[column].name);
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
    if (names != nullptr) {
        appendTerm(text, {}, attribute, value, names);
        return;
    }
    // The whole term in one piece: rule exports are made of millions of them.
    char term[kFixed3Room + 32] = "(a";
    char* end = std::to_chars(term + 2, term + 24, std::uint64_t(attribute) + 1).ptr;
    *end++ = '=';
    end = writeFixed3(end, value);
    *end++ = ')';
    text.append(term, end);
}

void appendDecisionTerm(std::string& text, float value, const TableNames* names)
{
    const auto decisionColumn = names != nullptr ? std::uint32_t(names->columns.size() - 1) : 0;
    appendTerm(text, "d", decisionColumn, value, names);
}

} // namespace kolven
