#include "csv_reader.h"

#include "named_rows.h"
#include "table_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace kolven {

using namespace named_rows;

namespace {

// A field of a record: a view into the text, or, for a quoted field holding a doubled quote, into
// the scanner's own copy of it (valid until the next record is read).
struct CsvField {
    std::string_view text;
    bool quoted = false;

    // An empty field, or an unquoted "?".
    bool missing() const { return text.empty() || (!quoted && text == "?"); }
    // In a numeric column also an unquoted "NA" or "NaN".
    bool missingNumber() const { return missing() || (!quoted && isMissingNumberWord(text)); }
};

enum class Scan { Record, End, Fault };

// Walks the records of a CSV text (RFC 4180, LF or CR LF line ends), counting physical lines. A
// record's fields are views, so that reading a large file allocates nothing per field.
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
            unescapedUsed_ = 0;
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
                field.text = std::string_view(start, std::size_t(last - start));
            }
            fields.push_back(field);
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
        const char* start = position_;
        std::string* unescaped = nullptr; // once a doubled quote is met
        for (;;) {
            if (position_ == end_) {
                return refuse(refusal, opened, "cudzyslow otwarty w tym wierszu nie zostal zamkniety");
            }
            const char c = *position_++;
            if (c == '"') {
                if (position_ == end_ || *position_ != '"') {
                    break;
                }
                if (unescaped == nullptr) {
                    unescaped = nextUnescaped();
                    unescaped->assign(start, position_);
                } else {
                    *unescaped += c;
                }
                ++position_;
                continue;
            }
            if (c == '\n') {
                ++line_;
            }
            if (unescaped != nullptr) {
                *unescaped += c;
            }
        }
        field.text = unescaped != nullptr ? std::string_view(*unescaped) : std::string_view(start, std::size_t(position_ - 1 - start));
        skipBlanks();
        if (position_ != end_ && !endsField(*position_)) {
            return refuse(refusal, line_, "po cudzyslowie zamykajacym pole stoi " + inQuotes(std::string(1, *position_)) +
                                              " zamiast separatora");
        }
        return true;
    }

    // A buffer for one unescaped field of the current record; a deque keeps the earlier ones
    // where they are.
    std::string* nextUnescaped()
    {
        if (unescapedUsed_ == unescaped_.size()) {
            unescaped_.emplace_back();
        }
        return &unescaped_[unescapedUsed_++];
    }

    const char* position_;
    const char* end_;
    char separator_ = ',';
    std::uint64_t line_ = 1;
    std::deque<std::string> unescaped_;
    std::size_t unescapedUsed_ = 0;
};

// A number written with a decimal comma ("1,5", as a spreadsheet saves it where the comma is the
// decimal sign) with a decimal point instead, in pointed; any other text as it is.
std::string_view withDecimalPoint(std::string_view text, std::string& pointed)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find_first_of(",.", comma + 1) != std::string_view::npos ||
        text.find('.') != std::string_view::npos) {
        return text;
    }
    pointed.assign(text);
    pointed[comma] = '.';
    return pointed;
}

// What the first reading learns of a column. It is numeric when it has values (fields that are not
// missing numbers) and every one of them is a number as written, or, where the comma does not
// separate fields, once its decimal comma is a point; otherwise nominal, its words numbered by a
// second reading.
struct ColumnScan {
    bool empty = true;            // every field is empty
    bool numberAsIs = true;       // every value is a number as written
    bool numberWithComma = true;  // every value is a number once a decimal comma is a point
    bool anyValue = false;
    std::uint64_t missing = 0;    // missing numbers, and the line of the first
    std::uint64_t firstMissingLine = 0;
    std::uint64_t infiniteLine = 0; // the first number beyond a float's range, and its text
    std::string infiniteText;

    // Learns from one field, setting value to the number it holds (NaN when missing).
    void add(const CsvField& field, std::uint64_t line, float& value, std::string& pointed)
    {
        empty = empty && field.text.empty();
        if (field.missingNumber()) {
            value = std::numeric_limits<float>::quiet_NaN();
            firstMissingLine = missing++ == 0 ? line : firstMissingLine;
            return;
        }
        anyValue = true;
        value = 0;
        // A comma never stands in a number as written; a text without one reads the same both ways.
        const bool comma = field.text.find(',') != std::string_view::npos;
        numberAsIs = numberAsIs && !comma;
        if (!numberAsIs && !numberWithComma) {
            return;
        }
        const std::string_view number = comma ? withDecimalPoint(field.text, pointed) : field.text;
        const NumberScan scan = scanNumber(number);
        if (!scan.found || scan.length != number.size()) {
            numberAsIs = false;
            numberWithComma = false;
            return;
        }
        value = static_cast<float>(scan.value);
        if (!std::isfinite(value) && infiniteLine == 0) {
            infiniteLine = line;
            infiniteText.assign(number);
        }
    }

    bool numeric(bool decimalComma) const { return anyValue && (decimalComma ? numberWithComma : numberAsIs); }
};

// A column's fault, found by either reading: the line and what is wrong.
struct ColumnFault {
    std::uint64_t line = 0;
    std::string what;
};

} // namespace

bool parseCsv(std::string_view text, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
              ReadRefusal& refusal, char separator, MissingNumbers* missing, bool keepMissing)
{
    if (const std::string_view wide = wideTextRefusal(text); !wide.empty()) {
        return refuse(refusal, 1, std::string(wide));
    }
    const std::string_view body = stripByteOrderMark(text);
    CsvScanner scanner(body, separator);
    NamedRows table;
    std::vector<CsvField> fields;
    switch (scanner.next(fields, table.namesLine, refusal)) {
    case Scan::Fault: return false;
    case Scan::End: return refuse(refusal, 1, "brak wiersza z nazwami atrybutow");
    case Scan::Record: break;
    }
    std::vector<std::string> header;
    for (const CsvField& field : fields) {
        header.emplace_back(field.text);
    }
    // The first reading: every record's numbers, row by row, and what each column can be.
    const std::size_t fileWidth = header.size();
    std::vector<ColumnScan> scans(fileWidth);
    std::vector<float>& values = table.values;
    std::string pointed;
    std::uint64_t line = 0;
    for (;;) {
        const Scan scan = scanner.next(fields, line, refusal);
        if (scan == Scan::Fault) {
            return false;
        }
        if (scan == Scan::End) {
            break;
        }
        if (fields.size() != fileWidth) {
            return refuse(refusal, line, "wiersz ma " + std::to_string(fields.size()) + " pol, a wiersz nazw " +
                                             std::to_string(fileWidth));
        }
        const std::size_t at = values.size();
        values.resize(at + fileWidth);
        for (std::size_t c = 0; c < fileWidth; ++c) {
            scans[c].add(fields[c], line, values[at + c], pointed);
        }
        ++table.rows;
    }
    table.lastLine = scanner.line() > 1 ? scanner.line() - 1 : 1;

    // A column without a name and without any value, which a separator at the end of every line
    // leaves behind, is no attribute: otherwise it would become the decision.
    std::vector<bool> kept(fileWidth, true);
    std::size_t width = fileWidth;
    for (std::size_t c = fileWidth; c-- > 0 && width > 1;) {
        if (header[c].empty() && scans[c].empty) {
            kept[c] = false;
            --width;
        }
    }
    if (width < 2) {
        // A file split on the wrong separator (spaces, say) would become a decision alone.
        const char used = scanner.separator();
        return refuse(refusal, table.namesLine,
                      "tylko jedna kolumna przy separatorze " + (used == '\t' ? std::string("tabulacji") : inQuotes(std::string(1, used))) +
                          ": brak atrybutu warunkowego (separator wskazuje --separator)");
    }
    std::vector<std::size_t> fileColumn; // the file's column of each kept one
    for (std::size_t c = 0; c < fileWidth; ++c) {
        if (kept[c]) {
            fileColumn.push_back(c);
        }
    }
    if (width != fileWidth) {
        std::size_t to = 0;
        for (std::size_t from = 0; from < values.size(); from += fileWidth) {
            for (const std::size_t c : fileColumn) {
                values[to++] = values[from + c];
            }
        }
        values.resize(to);
        values.shrink_to_fit();
    }

    std::vector<ColumnFault> faults(width);
    bool anyNominal = false;
    for (std::size_t c = 0; c < width; ++c) {
        const ColumnScan& scan = scans[fileColumn[c]];
        const std::string& name = header[fileColumn[c]];
        // An unnamed column (a spreadsheet's index column, say) is named by its place.
        table.columns.push_back({name.empty() ? "a" + std::to_string(c + 1) : name, false, {}});
        // Where the comma does not separate fields, it may be a decimal sign ("1,5").
        const bool decimalComma = scanner.separator() != ',' && !scan.numeric(false) && scan.numeric(true);
        table.columns[c].nominal = !decimalComma && !scan.numeric(false);
        anyNominal = anyNominal || table.columns[c].nominal;
        if (!table.columns[c].nominal && scan.infiniteLine != 0) {
            faults[c] = {scan.infiniteLine, "wartosc " + inQuotes(scan.infiniteText) + " atrybutu " +
                                                inQuotes(table.columns[c].name) + " nie jest skonczona liczba"};
        }
    }

    // The second reading numbers the words of the nominal columns in order of first appearance.
    if (anyNominal) {
        CsvScanner again(body, scanner.separator());
        again.next(fields, line, refusal);
        std::vector<LabelIndex> labels;
        labels.reserve(width);
        for (std::size_t c = 0; c < width; ++c) {
            labels.emplace_back(table.columns[c]);
        }
        for (std::size_t row = 0; again.next(fields, line, refusal) == Scan::Record; ++row) {
            float* rowValues = values.data() + row * width;
            for (std::size_t c = 0; c < width; ++c) {
                if (!table.columns[c].nominal || faults[c].line != 0) {
                    continue;
                }
                const CsvField& field = fields[fileColumn[c]];
                if (field.missing()) {
                    rowValues[c] = kMissingValue;
                } else if (!labels[c].add(field.text, rowValues[c])) {
                    faults[c] = {line, tooManyLabels(table.columns[c])};
                }
            }
        }
    }
    for (std::size_t c = 0; c < width; ++c) {
        if (faults[c].line != 0) {
            return refuse(refusal, faults[c].line, std::move(faults[c].what));
        }
    }
    for (std::size_t c = 0; c < width; ++c) {
        const ColumnScan& scan = scans[fileColumn[c]];
        if (!table.columns[c].nominal && scan.missing > 0) {
            if (table.missingNumbers == 0) {
                table.firstMissingLine = scan.firstMissingLine;
                table.firstMissingColumn = c;
            }
            table.missingNumbers += scan.missing;
        }
    }
    table.keepMissing = keepMissing;
    if (missing != nullptr) {
        *missing = missingNumbers(table);
    }
    return installNamed(std::move(table), decision, target, names, refusal);
}

} // namespace kolven
