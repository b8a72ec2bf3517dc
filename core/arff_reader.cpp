#include "arff_reader.h"

#include "named_rows.h"
#include "table_files.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kolven {

using namespace named_rows;

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One word of an ARFF line: quoted with ' or " (a backslash takes the next character as it is,
// \n and \t excepted), or bare up to blanks or one of stops, trailing blanks removed. The text is
// a view into the line, or into unescaped for a quoted word with a backslash; a word is therefore
// neither copied nor moved once read.
struct ArffWord {
    std::string_view text;
    bool quoted = false;
    std::string unescaped;
};

class ArffLine {
public:
    ArffLine(std::string_view text, std::uint64_t line) : rest_(text), line_(line) {}

    bool atEnd()
    {
        rest_ = trimmed(rest_);
        return rest_.empty();
    }
    // Takes c when the line goes on with it.
    bool take(char c)
    {
        if (!atEnd() && rest_.front() == c) {
            rest_.remove_prefix(1);
            return true;
        }
        return false;
    }
    char peek() { return atEnd() ? '\0' : rest_.front(); }

    // Takes the next word when it is a plain decimal (see scanPlainDecimal), the usual value of
    // a numeric column: its value without the word being cut out first.
    bool plainNumber(float& value)
    {
        atEnd();
        const NumberScan scan = scanPlainDecimal(rest_);
        if (!scan.found) {
            return false;
        }
        std::size_t after = scan.length;
        while (after < rest_.size() && isSpace(rest_[after])) {
            ++after;
        }
        if (after < rest_.size() && rest_[after] != ',') {
            return false;
        }
        value = static_cast<float>(scan.value);
        rest_.remove_prefix(after);
        return true;
    }
    std::string_view rest() { return trimmed(rest_); }

    bool word(ArffWord& word, std::string_view stops, bool stopAtBlank, ReadRefusal& refusal)
    {
        word.text = {};
        word.quoted = false;
        atEnd();
        if (!rest_.empty() && (rest_.front() == '\'' || rest_.front() == '"')) {
            return quotedWord(word, refusal);
        }
        std::size_t length = 0;
        if (stops.size() == 1 && !stopAtBlank) {
            // A value of @data, up to the comma: found at once.
            length = std::min(rest_.find(stops.front()), rest_.size());
        } else {
            while (length < rest_.size() && stops.find(rest_[length]) == std::string_view::npos &&
                   !(stopAtBlank && isSpace(rest_[length]))) {
                ++length;
            }
        }
        word.text = trimmed(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return true;
    }

private:
    bool quotedWord(ArffWord& word, ReadRefusal& refusal)
    {
        const char quote = rest_.front();
        word.quoted = true;
        std::size_t i = 1;
        bool escaped = false;
        for (; i < rest_.size() && rest_[i] != quote; ++i) {
            char c = rest_[i];
            if (c == '\\' && i + 1 < rest_.size()) {
                if (!escaped) {
                    word.unescaped.assign(rest_.substr(1, i - 1));
                    escaped = true;
                }
                c = rest_[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            if (escaped) {
                word.unescaped += c;
            }
        }
        if (i == rest_.size()) {
            return refuse(refusal, line_, "cudzyslow nie zostal zamkniety");
        }
        word.text = escaped ? std::string_view(word.unescaped) : rest_.substr(1, i - 1);
        rest_.remove_prefix(i + 1);
        return true;
    }

    std::string_view rest_;
    std::uint64_t line_;
};

// The type of an attribute after its name: a list of labels or a numeric type word.
bool readAttributeType(ArffLine& words, NamedColumn& column, std::uint64_t line, ReadRefusal& refusal)
{
    if (words.take('{')) {
        column.nominal = true;
        LabelIndex labels(column);
        if (words.take('}')) {
            return true;
        }
        for (;;) {
            ArffWord label;
            if (!words.word(label, ",}", false, refusal)) {
                return false;
            }
            float ignored = 0;
            if (labels.find(label.text) != nullptr) {
                return refuse(refusal, line, "wartosc " + inQuotes(label.text) + " atrybutu " + inQuotes(column.name) +
                                                 " wystepuje na liscie dwa razy");
            }
            if (!labels.add(label.text, ignored)) {
                return refuse(refusal, line, tooManyLabels(column));
            }
            if (words.take('}')) {
                return words.atEnd() || refuse(refusal, line, "tekst po liscie wartosci atrybutu " + inQuotes(column.name));
            }
            if (!words.take(',')) {
                return refuse(refusal, line, "lista wartosci atrybutu " + inQuotes(column.name) + " nie jest zamknieta znakiem }");
            }
        }
    }
    const std::string_view type = words.rest();
    const std::string_view keyword = type.substr(0, std::min(type.find_first_of(" \t"), type.size()));
    for (const char* numeric : {"numeric", "real", "integer"}) {
        if (equalsIgnoringCase(keyword, numeric)) {
            return keyword.size() == type.size() ||
                   refuse(refusal, line, "tekst po typie atrybutu " + inQuotes(column.name) + ": " + inQuotes(type.substr(keyword.size() + 1)));
        }
    }
    for (const char* unsupported : {"string", "date", "relational"}) {
        if (equalsIgnoringCase(keyword, unsupported)) {
            return refuse(refusal, line, "atrybut " + inQuotes(column.name) + " jest typu " + unsupported +
                                             ", a czytane sa tylko atrybuty nominalne i liczbowe");
        }
    }
    return refuse(refusal, line, "atrybut " + inQuotes(column.name) + " ma nieznany typ " + inQuotes(type));
}

bool readAttribute(ArffLine& words, NamedRows& table, std::uint64_t line, ReadRefusal& refusal)
{
    ArffWord name;
    if (!words.word(name, "{", true, refusal)) {
        return false;
    }
    if (name.text.empty()) {
        return refuse(refusal, line, "@attribute bez nazwy");
    }
    NamedColumn column{std::string(name.text), false, {}};
    if (!readAttributeType(words, column, line, refusal)) {
        return false;
    }
    table.columns.push_back(std::move(column));
    table.namesLine = line;
    return true;
}

// Looked up by a view of the text read, without a string made for it.
struct ViewHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

// The number of each declared label, per column (empty for a numeric one).
using LabelNumbers = std::vector<std::unordered_map<std::string, float, ViewHash, std::equal_to<>>>;

LabelNumbers numberLabels(const std::vector<NamedColumn>& columns)
{
    LabelNumbers numbers(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        for (std::size_t i = 0; i < columns[c].labels.size(); ++i) {
            numbers[c].emplace(columns[c].labels[i], float(i));
        }
    }
    return numbers;
}

// One row of @data: as many comma-separated values as there are attributes.
bool readDataRow(ArffLine& words, NamedRows& table, const LabelNumbers& numbers, std::uint64_t line,
                 ReadRefusal& refusal)
{
    if (words.peek() == '{') {
        return refuse(refusal, line, "dane rzadkie (wiersz w nawiasach {}) nie sa obslugiwane");
    }
    const std::size_t width = table.columns.size();
    std::size_t count = 0;
    for (;; ++count) {
        ArffWord word;
        float plain = 0;
        if (count < width && !table.columns[count].nominal && words.plainNumber(plain)) {
            // A plain decimal is a number, and finite as a float: what numericValue would find.
            table.values.push_back(plain);
        } else if (!words.word(word, ",", false, refusal)) {
            return false;
        } else if (count < width) {
            const NamedColumn& column = table.columns[count];
            const bool missing = !word.quoted && word.text == "?";
            float value = kMissingValue;
            if (!column.nominal) {
                const bool missingNumber = missing || (!word.quoted && isMissingNumberWord(word.text));
                if (!numericValue(word.text, missingNumber, column, line, value, refusal)) {
                    return false;
                }
                if (missingNumber) {
                    table.noteMissing(count, line);
                }
            } else if (!missing) {
                const auto found = numbers[count].find(word.text);
                if (found == numbers[count].end()) {
                    return refuse(refusal, line, "wartosc " + inQuotes(word.text) + " nie nalezy do wartosci atrybutu " +
                                                     inQuotes(column.name));
                }
                value = found->second;
            }
            table.values.push_back(value);
        }
        if (words.atEnd()) {
            break;
        }
        if (!words.take(',')) {
            return refuse(refusal, line, "po wartosci w cudzyslowie stoi " + inQuotes(words.rest().substr(0, 1)) +
                                             " zamiast przecinka");
        }
    }
    if (count + 1 != width) {
        return refuse(refusal, line, "wiersz ma " + std::to_string(count + 1) + " wartosci, a atrybutow jest " +
                                         std::to_string(width));
    }
    ++table.rows;
    return true;
}

// A data line up to a "%" that stands outside quotes: the rest is a comment.
std::string_view withoutComment(std::string_view content)
{
    // Most lines hold no quote: for them the first "%" ends the line, found by a library search.
    if (content.find('\'') == std::string_view::npos && content.find('"') == std::string_view::npos) {
        const std::size_t percent = content.find('%');
        return percent == std::string_view::npos ? content : trimmed(content.substr(0, percent));
    }
    char quote = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (quote != 0) {
            i += c == '\\' ? 1 : 0;
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '%') {
            return trimmed(content.substr(0, i));
        }
    }
    return content;
}

// A data line without the instance weight that may end it (", {2}"), counted in weighted. The
// weight is ignored: every object counts once.
std::string_view withoutWeight(std::string_view content, std::uint64_t& weighted)
{
    if (!content.ends_with('}')) {
        return content;
    }
    const std::size_t open = content.rfind('{');
    if (open == std::string_view::npos || open == 0) {
        return content;
    }
    const std::string_view before = trimmed(content.substr(0, open));
    if (!before.ends_with(',') || !isWholeNumber(trimmed(content.substr(open + 1, content.size() - open - 2)))) {
        return content;
    }
    ++weighted;
    return trimmed(before.substr(0, before.size() - 1));
}

} // namespace

bool parseArff(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
               ReadRefusal& refusal, std::uint64_t* weightedRows, MissingNumbers* missing, bool keepMissing)
{
    std::uint64_t weighted = 0;
    if (const std::string_view wide = wideTextRefusal(text); !wide.empty()) {
        return refuse(refusal, 1, std::string(wide));
    }
    text = stripByteOrderMark(text);
    NamedRows table;
    LabelNumbers numbers;
    bool inData = false;
    std::uint64_t line = 0;
    while (!text.empty()) {
        const std::size_t lineEnd = std::min(text.find('\n'), text.size());
        const std::string_view content = trimmed(text.substr(0, lineEnd));
        text.remove_prefix(std::min(lineEnd + 1, text.size()));
        ++line;
        if (content.empty() || content.front() == '%') {
            continue;
        }
        if (inData) {
            ArffLine words(withoutWeight(withoutComment(content), weighted), line);
            if (!readDataRow(words, table, numbers, line, refusal)) {
                return false;
            }
            continue;
        }
        const std::string_view keyword = content.substr(0, std::min(content.find_first_of(" \t"), content.size()));
        ArffLine rest(content.substr(keyword.size()), line);
        if (equalsIgnoringCase(keyword, "@relation")) {
            continue;
        }
        if (equalsIgnoringCase(keyword, "@attribute")) {
            if (!readAttribute(rest, table, line, refusal)) {
                return false;
            }
        } else if (equalsIgnoringCase(keyword, "@data")) {
            inData = true;
            table.namesLine = line;
            numbers = numberLabels(table.columns);
            if (table.columns.empty()) {
                return refuse(refusal, line, "@data przed pierwszym @attribute");
            }
            // Room for a row on every line left, so that a large table is not moved as it grows;
            // no more than a value for every two bytes, the least a value and its comma take.
            std::uint64_t lines = 1;
            for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
                ++lines;
            }
            table.values.reserve(std::min(lines * table.columns.size(), text.size() / 2 + 1));
        } else {
            return refuse(refusal, line, "oczekiwano @relation, @attribute lub @data, a jest " + inQuotes(keyword));
        }
    }
    table.lastLine = std::max<std::uint64_t>(line, 1);
    if (!inData) {
        return refuse(refusal, table.lastLine, "brak sekcji @data");
    }
    // Rows are read until here with the capacity they grew to; the table keeps the exact size.
    table.values.shrink_to_fit();
    table.keepMissing = keepMissing;
    if (missing != nullptr) {
        *missing = missingNumbers(table);
    }
    if (!installNamed(std::move(table), decision, target, names, refusal)) {
        return false;
    }
    if (weightedRows != nullptr) {
        *weightedRows = weighted;
    }
    return true;
}

} // namespace kolven
