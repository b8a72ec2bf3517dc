#include "csv_reader.h"

#include "named_rows.h"
#include "table_files.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace kolven {

using namespace named_rows;

namespace {

struct CsvField {
    std::string text;
    bool quoted = false;

    // An empty field, or an unquoted "?".
    bool missing() const { return text.empty() || (!quoted && text == "?"); }
    // In a numeric column also an unquoted "NA" or "NaN".
    bool missingNumber() const { return missing() || (!quoted && isMissingNumberWord(text)); }
};

enum class Scan { Record, End, Fault };

// Walks the records of a CSV text (RFC 4180, LF or CR LF line ends), counting physical lines.
class CsvScanner {
public:
    // separator 0: guessed from the first lines.
    CsvScanner(std::string_view text, char separator) : position_(text.data()), end_(text.data() + text.size())
    {
        separator_ = separator != 0 ? separator : guessedSeparator();
    }

    char separator() const { return separator_; }

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
    // The separator of the first lines (up to kGuessLines records, quotes skipped): of ";", ","
    // and tab, the one that every line uses the same number of times, the most used among such;
    // when none does, the one the first line uses most. A tie goes to ";", then ",": a decimal
    // comma is more common than a semicolon inside a word.
    char guessedSeparator() const
    {
        constexpr std::size_t kGuessLines = 50;
        constexpr char kCandidates[] = {';', ',', '\t'};
        std::size_t first[3] = {};
        std::size_t line[3] = {};
        bool even[3] = {true, true, true};
        std::size_t lines = 0;
        bool inQuotes = false;
        bool blank = true;
        for (const char* p = position_; lines < kGuessLines; ++p) {
            if (p == end_ || (!inQuotes && *p == '\n')) {
                if (!blank) {
                    for (int c = 0; c < 3; ++c) {
                        first[c] = lines == 0 ? line[c] : first[c];
                        even[c] = even[c] && line[c] == first[c];
                        line[c] = 0;
                    }
                    ++lines;
                }
                blank = true;
                if (p == end_) {
                    break;
                }
                continue;
            }
            blank = blank && (*p == '\r' || *p == ' ');
            if (*p == '"') {
                inQuotes = !inQuotes;
            } else if (!inQuotes) {
                for (int c = 0; c < 3; ++c) {
                    line[c] += *p == kCandidates[c];
                }
            }
        }
        int chosen = -1;
        for (int c = 0; c < 3; ++c) {
            if (even[c] && first[c] > 0 && (chosen < 0 || first[c] > first[chosen])) {
                chosen = c;
            }
        }
        if (chosen < 0) {
            chosen = 0;
            for (int c = 1; c < 3; ++c) {
                chosen = first[c] > first[chosen] ? c : chosen;
            }
            chosen = first[chosen] == 0 ? 1 : chosen;
        }
        return kCandidates[chosen];
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

// A number written with a decimal comma ("1,5", as a spreadsheet saves it where the comma is the
// decimal sign) with a decimal point instead; any other text as it is.
std::string withDecimalPoint(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find_first_of(",.", comma + 1) != std::string::npos ||
        text.find('.') != std::string::npos) {
        return text;
    }
    std::string pointed = text;
    pointed[comma] = '.';
    return pointed;
}

// A column is numeric when it has values and every one of them is a number; with decimalComma
// a number may be written with a decimal comma.
bool isNumericColumn(const std::vector<std::vector<CsvField>>& rows, std::size_t column, bool decimalComma)
{
    bool anyValue = false;
    for (const auto& row : rows) {
        const CsvField& field = row[column];
        if (!field.missingNumber()) {
            if (!isWholeNumber(decimalComma ? withDecimalPoint(field.text) : field.text)) {
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
              ReadRefusal& refusal, char separator, MissingNumbers* missing, bool keepMissing)
{
    if (const std::string_view wide = wideTextRefusal(text); !wide.empty()) {
        return refuse(refusal, 1, std::string(wide));
    }
    CsvScanner scanner(stripByteOrderMark(text), separator);
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
    if (header.size() < 2) {
        // A file split on the wrong separator (spaces, say) would become a decision alone.
        const char used = scanner.separator();
        return refuse(refusal, table.namesLine,
                      "tylko jedna kolumna przy separatorze " + (used == '\t' ? std::string("tabulacji") : inQuotes(std::string(1, used))) +
                          ": brak atrybutu warunkowego (separator wskazuje --separator)");
    }
    for (std::size_t c = 0; c < header.size(); ++c) {
        // An unnamed column (a spreadsheet's index column, say) is named by its place.
        table.columns.push_back({header[c].text.empty() ? "a" + std::to_string(c + 1) : header[c].text, false, {}});
    }

    const std::size_t width = header.size();
    table.values.resize(rows.size() * width);
    for (std::size_t c = 0; c < width; ++c) {
        NamedColumn& column = table.columns[c];
        // Where the comma does not separate fields, it may be a decimal sign ("1,5").
        const bool decimalComma = scanner.separator() != ',' && !isNumericColumn(rows, c, false) &&
                                  isNumericColumn(rows, c, true);
        column.nominal = !decimalComma && !isNumericColumn(rows, c, false);
        LabelIndex labels(column);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const CsvField& field = rows[r][c];
            float& value = table.values[r * width + c];
            if (!column.nominal) {
                if (!numericValue(decimalComma ? withDecimalPoint(field.text) : field.text, field.missingNumber(), column,
                                  lines[r], value, refusal)) {
                    return false;
                }
                if (field.missingNumber()) {
                    table.noteMissing(c, lines[r]);
                }
            } else if (field.missing()) {
                value = kMissingValue;
            } else if (!labels.add(field.text, value)) {
                return refuse(refusal, lines[r], tooManyLabels(column));
            }
        }
    }
    table.keepMissing = keepMissing;
    if (missing != nullptr) {
        *missing = missingNumbers(table);
    }
    return installNamed(std::move(table), decision, target, names, refusal);
}

} // namespace kolven
