#include "named_table_files.h"

#include "table_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kolven {

namespace {

// Nominal values are held as floats, which count exactly only up to 2^24.
constexpr std::size_t kMaxLabels = std::size_t(1) << 24;

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

bool refuse(ReadRefusal& refusal, std::uint64_t line, std::string what)
{
    refusal = {line, std::move(what)};
    return false;
}

// A table read with names, its columns in the file's order, before the decision is put last.
struct NamedRows {
    std::vector<NamedColumn> columns;
    std::vector<float> values; // row by row, one value per column
    std::uint64_t rows = 0;
    std::uint64_t namesLine = 0; // where the names were declared
    std::uint64_t lastLine = 0;
};

// A numeric field, read as a .tab value is; a missing or non-finite value is refused.
bool numericValue(std::string_view text, bool missing, const NamedColumn& column, std::uint64_t line, float& value,
                  ReadRefusal& refusal)
{
    if (missing) {
        return refuse(refusal, line, "brak wartosci atrybutu liczbowego " + inQuotes(column.name));
    }
    if (!isWholeNumber(text)) {
        return refuse(refusal, line, "wartosc " + inQuotes(text) + " atrybutu liczbowego " + inQuotes(column.name) +
                                         " nie jest liczba");
    }
    value = static_cast<float>(parseValue(text));
    if (!std::isfinite(value)) {
        return refuse(refusal, line, "wartosc " + inQuotes(text) + " atrybutu " + inQuotes(column.name) +
                                         " nie jest skonczona liczba");
    }
    return true;
}

// Puts the chosen decision column last, the others keeping their order, and installs the table.
bool installNamed(NamedRows table, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
                  ReadRefusal& refusal)
{
    if (table.columns.empty()) {
        return refuse(refusal, table.namesLine, "plik nie nazywa zadnego atrybutu");
    }
    if (table.rows == 0) {
        return refuse(refusal, table.lastLine, "plik nie zawiera zadnego obiektu");
    }
    const std::size_t width = table.columns.size();
    std::size_t chosen = width - 1;
    if (!decision.empty()) {
        const auto found = std::find_if(table.columns.begin(), table.columns.end(),
                                        [&](const NamedColumn& column) { return column.name == decision; });
        if (found == table.columns.end()) {
            return refuse(refusal, table.namesLine, "brak atrybutu decyzyjnego " + inQuotes(decision));
        }
        chosen = std::size_t(found - table.columns.begin());
    }
    if (chosen != width - 1) {
        for (auto row = table.values.begin(); row != table.values.end(); row += std::ptrdiff_t(width)) {
            std::rotate(row + std::ptrdiff_t(chosen), row + std::ptrdiff_t(chosen) + 1, row + std::ptrdiff_t(width));
        }
        std::rotate(table.columns.begin() + std::ptrdiff_t(chosen), table.columns.begin() + std::ptrdiff_t(chosen) + 1,
                    table.columns.end());
    }
    if (table.rows > UINT32_MAX || width > UINT32_MAX) {
        throw std::bad_alloc();
    }
    target.installValues(std::uint32_t(table.rows), std::uint32_t(width - 1), std::move(table.values));
    names.columns = std::move(table.columns);
    return true;
}

// The labels of a nominal column being read, numbered as they are added.
class LabelIndex {
public:
    explicit LabelIndex(NamedColumn& column) : column_(column) {}
    // The number of label, adding it when it is new. False when the column would hold more labels
    // than a float counts exactly.
    bool add(const std::string& label, float& value)
    {
        const auto [found, added] = index_.emplace(label, float(column_.labels.size()));
        if (added) {
            if (column_.labels.size() == kMaxLabels) {
                index_.erase(found);
                return false;
            }
            column_.labels.push_back(label);
        }
        value = found->second;
        return true;
    }
    const float* find(const std::string& label) const
    {
        const auto found = index_.find(label);
        return found == index_.end() ? nullptr : &found->second;
    }

private:
    NamedColumn& column_;
    std::unordered_map<std::string, float> index_;
};

std::string tooManyLabels(const NamedColumn& column)
{
    return "atrybut " + inQuotes(column.name) + " ma wiecej niz " + std::to_string(kMaxLabels) + " roznych wartosci";
}

std::string_view stripByteOrderMark(std::string_view text)
{
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.starts_with(kMark) ? text.substr(kMark.size()) : text;
}

// A text in UTF-16 would read as names and words full of zero bytes: it is refused instead.
bool isUtf16(std::string_view text)
{
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

constexpr std::string_view kUtf16Refusal = "plik jest zapisany w UTF-16; zapisz go w UTF-8";

// --- CSV --------------------------------------------------------------------------------------

struct CsvField {
    std::string text;
    bool quoted = false;

    // An empty field, or an unquoted "?".
    bool missing() const { return text.empty() || (!quoted && text == "?"); }
};

enum class Scan { Record, End, Fault };

// Walks the records of a CSV text (RFC 4180, LF or CR LF line ends), counting physical lines.
class CsvScanner {
public:
    explicit CsvScanner(std::string_view text) : position_(text.data()), end_(text.data() + text.size())
    {
        separator_ = headerSeparator();
    }

    // The next record that is not blank, and the line it begins on.
    Scan next(std::vector<CsvField>& fields, std::uint64_t& line, ReadRefusal& refusal)
    {
        for (;;) {
            if (position_ == end_) {
                return Scan::End;
            }
            line = line_;
            fields.clear();
            if (!readRecord(fields, refusal)) {
                return Scan::Fault;
            }
            if (fields.size() > 1 || fields.front().quoted || !fields.front().text.empty()) {
                return Scan::Record;
            }
        }
    }

    std::uint64_t line() const { return line_; }

private:
    // The separator the first line uses most outside quotes: ",", ";" or tab, "," on a tie.
    char headerSeparator() const
    {
        std::size_t commas = 0;
        std::size_t semicolons = 0;
        std::size_t tabs = 0;
        bool inQuotes = false;
        for (const char* p = position_; p != end_ && (inQuotes || *p != '\n'); ++p) {
            if (*p == '"') {
                inQuotes = !inQuotes;
            } else if (!inQuotes) {
                commas += *p == ',';
                semicolons += *p == ';';
                tabs += *p == '\t';
            }
        }
        if (semicolons > commas && semicolons >= tabs) {
            return ';';
        }
        return tabs > commas ? '\t' : ',';
    }

    bool isBlank(char c) const { return c == ' ' || (c == '\t' && separator_ != '\t'); }
    bool endsField(char c) const { return c == separator_ || c == '\r' || c == '\n'; }
    void skipBlanks()
    {
        while (position_ != end_ && isBlank(*position_)) {
            ++position_;
        }
    }

    bool readRecord(std::vector<CsvField>& fields, ReadRefusal& refusal)
    {
        for (;;) {
            CsvField field;
            skipBlanks();
            if (position_ != end_ && *position_ == '"') {
                if (!readQuoted(field, refusal)) {
                    return false;
                }
            } else {
                const char* start = position_;
                while (position_ != end_ && !endsField(*position_)) {
                    ++position_;
                }
                const char* last = position_;
                while (last != start && isBlank(last[-1])) {
                    --last;
                }
                field.text.assign(start, last);
            }
            fields.push_back(std::move(field));
            if (position_ != end_ && *position_ == separator_) {
                ++position_;
                continue;
            }
            if (position_ != end_ && *position_ == '\r') {
                ++position_;
            }
            if (position_ != end_ && *position_ == '\n') {
                ++position_;
            }
            ++line_;
            return true;
        }
    }

    bool readQuoted(CsvField& field, ReadRefusal& refusal)
    {
        const std::uint64_t opened = line_;
        field.quoted = true;
        ++position_;
        for (;;) {
            if (position_ == end_) {
                return refuse(refusal, opened, "cudzyslow otwarty w tym wierszu nie zostal zamkniety");
            }
            const char c = *position_++;
            if (c == '"') {
                if (position_ == end_ || *position_ != '"') {
                    break;
                }
                ++position_;
            } else if (c == '\n') {
                ++line_;
            }
            field.text += c;
        }
        skipBlanks();
        if (position_ != end_ && !endsField(*position_)) {
            return refuse(refusal, line_, "po cudzyslowie zamykajacym pole stoi " + inQuotes(std::string(1, *position_)) +
                                              " zamiast separatora");
        }
        return true;
    }

    const char* position_;
    const char* end_;
    char separator_ = ',';
    std::uint64_t line_ = 1;
};

// A column is numeric when it has values and every one of them is a number.
bool isNumericColumn(const std::vector<std::vector<CsvField>>& rows, std::size_t column)
{
    bool anyValue = false;
    for (const auto& row : rows) {
        const CsvField& field = row[column];
        if (!field.missing()) {
            if (!isWholeNumber(field.text)) {
                return false;
            }
            anyValue = true;
        }
    }
    return anyValue;
}

// A column without a name and without any value, which a separator at the end of every line
// leaves behind, is no attribute: otherwise it would become the decision.
void dropEmptyColumns(std::vector<CsvField>& header, std::vector<std::vector<CsvField>>& rows)
{
    for (std::size_t c = header.size(); c-- > 0 && header.size() > 1;) {
        const auto emptyField = [c](const std::vector<CsvField>& row) { return row[c].text.empty(); };
        if (header[c].text.empty() && std::all_of(rows.begin(), rows.end(), emptyField)) {
            header.erase(header.begin() + std::ptrdiff_t(c));
            for (auto& row : rows) {
                row.erase(row.begin() + std::ptrdiff_t(c));
            }
        }
    }
}

} // namespace

bool parseCsv(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
              ReadRefusal& refusal)
{
    if (isUtf16(text)) {
        return refuse(refusal, 1, std::string(kUtf16Refusal));
    }
    CsvScanner scanner(stripByteOrderMark(text));
    NamedRows table;
    std::vector<CsvField> header;
    switch (scanner.next(header, table.namesLine, refusal)) {
    case Scan::Fault: return false;
    case Scan::End: return refuse(refusal, 1, "brak wiersza z nazwami atrybutow");
    case Scan::Record: break;
    }
    std::vector<std::vector<CsvField>> rows;
    std::vector<std::uint64_t> lines;
    std::vector<CsvField> fields;
    std::uint64_t line = 0;
    for (;;) {
        const Scan scan = scanner.next(fields, line, refusal);
        if (scan == Scan::Fault) {
            return false;
        }
        if (scan == Scan::End) {
            break;
        }
        if (fields.size() != header.size()) {
            return refuse(refusal, line, "wiersz ma " + std::to_string(fields.size()) + " pol, a wiersz nazw " +
                                             std::to_string(header.size()));
        }
        rows.push_back(std::move(fields));
        lines.push_back(line);
    }
    table.rows = rows.size();
    table.lastLine = scanner.line() > 1 ? scanner.line() - 1 : 1;
    dropEmptyColumns(header, rows);
    for (std::size_t c = 0; c < header.size(); ++c) {
        // An unnamed column (a spreadsheet's index column, say) is named by its place.
        table.columns.push_back({header[c].text.empty() ? "a" + std::to_string(c + 1) : header[c].text, false, {}});
    }

    const std::size_t width = header.size();
    table.values.resize(rows.size() * width);
    for (std::size_t c = 0; c < width; ++c) {
        NamedColumn& column = table.columns[c];
        column.nominal = !isNumericColumn(rows, c);
        LabelIndex labels(column);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const CsvField& field = rows[r][c];
            float& value = table.values[r * width + c];
            if (!column.nominal) {
                if (!numericValue(field.text, field.missing(), column, lines[r], value, refusal)) {
                    return false;
                }
            } else if (field.missing()) {
                value = kMissingValue;
            } else if (!labels.add(field.text, value)) {
                return refuse(refusal, lines[r], tooManyLabels(column));
            }
        }
    }
    return installNamed(std::move(table), decision, target, names, refusal);
}

// --- ARFF -------------------------------------------------------------------------------------

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
// \n and \t excepted), or bare up to blanks or one of stops, trailing blanks removed.
struct ArffWord {
    std::string text;
    bool quoted = false;
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
    std::string_view rest() { return trimmed(rest_); }

    bool word(ArffWord& word, std::string_view stops, bool stopAtBlank, ReadRefusal& refusal)
    {
        word = {};
        atEnd();
        if (!rest_.empty() && (rest_.front() == '\'' || rest_.front() == '"')) {
            return quotedWord(word, refusal);
        }
        std::size_t length = 0;
        while (length < rest_.size() && stops.find(rest_[length]) == std::string_view::npos &&
               !(stopAtBlank && isSpace(rest_[length]))) {
            ++length;
        }
        word.text = std::string(trimmed(rest_.substr(0, length)));
        rest_.remove_prefix(length);
        return true;
    }

private:
    bool quotedWord(ArffWord& word, ReadRefusal& refusal)
    {
        const char quote = rest_.front();
        word.quoted = true;
        std::size_t i = 1;
        for (; i < rest_.size() && rest_[i] != quote; ++i) {
            char c = rest_[i];
            if (c == '\\' && i + 1 < rest_.size()) {
                c = rest_[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            word.text += c;
        }
        if (i == rest_.size()) {
            return refuse(refusal, line_, "cudzyslow nie zostal zamkniety");
        }
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
            return true;
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
    NamedColumn column{name.text, false, {}};
    if (!readAttributeType(words, column, line, refusal)) {
        return false;
    }
    table.columns.push_back(std::move(column));
    table.namesLine = line;
    return true;
}

// The number of each declared label, per column (empty for a numeric one).
using LabelNumbers = std::vector<std::unordered_map<std::string, float>>;

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
        if (!words.word(word, ",", false, refusal)) {
            return false;
        }
        if (count < width) {
            const NamedColumn& column = table.columns[count];
            const bool missing = !word.quoted && word.text == "?";
            float value = kMissingValue;
            if (!column.nominal) {
                if (!numericValue(word.text, missing, column, line, value, refusal)) {
                    return false;
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

} // namespace

bool parseArff(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
               ReadRefusal& refusal)
{
    if (isUtf16(text)) {
        return refuse(refusal, 1, std::string(kUtf16Refusal));
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
        ArffLine words(content, line);
        if (inData) {
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
    return installNamed(std::move(table), decision, target, names, refusal);
}

// --- writing ----------------------------------------------------------------------------------

namespace {

void appendField(std::string& text, std::string_view field, bool quoteQuestionMark)
{
    const bool needsQuotes = field.empty() || field.find_first_of(",;\t\"\r\n") != std::string_view::npos ||
                             field.front() == ' ' || field.back() == ' ' || (quoteQuestionMark && field == "?");
    if (!needsQuotes) {
        text += field;
        return;
    }
    text += '"';
    for (char c : field) {
        text += c;
        if (c == '"') {
            text += '"';
        }
    }
    text += '"';
}

void appendNumber(std::string& text, float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

} // namespace

std::string csvText(const SystemDecyzyjny& table, const TableNames* names)
{
    if (names != nullptr && !names->fits(table)) {
        names = nullptr;
    }
    std::string text;
    for (std::uint32_t c = 0; c < table.rowLength; ++c) {
        if (c > 0) {
            text += ',';
        }
        if (names != nullptr) {
            appendField(text, names->columns[c].name, true);
        } else {
            text += c < table.attributeCount ? "a" + std::to_string(c + 1) : std::string("d");
        }
    }
    text += "\r\n";
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        for (std::uint32_t c = 0; c < table.rowLength; ++c) {
            if (c > 0) {
                text += ',';
            }
            const float value = table.row(object)[c];
            const NamedColumn* column = names != nullptr ? &names->columns[c] : nullptr;
            if (column != nullptr && column->nominal && value == kMissingValue) {
                text += '?';
            } else if (const std::string* label = column != nullptr ? column->labelOf(value) : nullptr) {
                appendField(text, *label, true);
            } else {
                appendNumber(text, value);
            }
        }
        text += "\r\n";
    }
    return text;
}

} // namespace kolven
