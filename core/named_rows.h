#pragma once

// What the readers of tables with names (.csv, .arff) share: the columns read so far, the checks
// of a numeric field, the numbering of labels and the installing of the finished table.

#include "decision_system.h"
#include "read_refusal.h"
#include "table_names.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kolven::named_rows {

// Nominal values are held as floats, which count exactly only up to 2^24.
inline constexpr std::size_t kMaxLabels = std::size_t(1) << 24;

inline constexpr std::string_view kUtf16Refusal = "plik jest zapisany w UTF-16; zapisz go w UTF-8";
inline constexpr std::string_view kUtf32Refusal = "plik jest zapisany w UTF-32; zapisz go w UTF-8";

std::string inQuotes(std::string_view text);

// Sets refusal and returns false, so that a reader can say `return refuse(...)`.
bool refuse(ReadRefusal& refusal, std::uint64_t line, std::string what);

// A table read with names, its columns in the file's order, before the decision is put last.
struct NamedRows {
    std::vector<NamedColumn> columns;
    std::vector<float> values; // row by row, one value per column
    std::uint64_t rows = 0;
    std::uint64_t namesLine = 0; // where the names were declared
    std::uint64_t lastLine = 0;
    // Missing values of numeric columns, held as NaN: kept only when keepMissing is set (the
    // caller then completes them before computing), otherwise the table is refused.
    bool keepMissing = false;
    std::uint64_t missingNumbers = 0;
    std::uint64_t firstMissingLine = 0;
    std::size_t firstMissingColumn = 0; // in the file's order

    void noteMissing(std::size_t column, std::uint64_t line)
    {
        if (missingNumbers++ == 0) {
            firstMissingLine = line;
            firstMissingColumn = column;
        }
    }
};

// True for the words that stand for a missing number besides "?" and an empty field.
inline bool isMissingNumberWord(std::string_view text)
{
    return text == "NA" || text == "NaN";
}

// A numeric field, read as a .tab value is; a missing one is NaN (see NamedRows::noteMissing), a
// non-finite one is refused.
bool numericValue(std::string_view text, bool missing, const NamedColumn& column, std::uint64_t line, float& value,
                  ReadRefusal& refusal);

// Puts the chosen decision column last, the others keeping their order, and installs the table.
bool installNamed(NamedRows table, std::string_view decision, SystemDecyzyjny& target, TableNames& names,
                  ReadRefusal& refusal);

// The labels of a nominal column being read, numbered as they are added.
class LabelIndex {
public:
    explicit LabelIndex(NamedColumn& column) : column_(&column) {}
    // The number of label, adding it when it is new. False when the column would hold more labels
    // than a float counts exactly.
    bool add(std::string_view label, float& value)
    {
        if (const auto found = index_.find(label); found != index_.end()) {
            value = found->second;
            return true;
        }
        if (column_->labels.size() == kMaxLabels) {
            return false;
        }
        value = float(column_->labels.size());
        index_.emplace(std::string(label), value);
        column_->labels.emplace_back(label);
        return true;
    }
    const float* find(std::string_view label) const
    {
        const auto found = index_.find(label);
        return found == index_.end() ? nullptr : &found->second;
    }

private:
    // Looked up by a view of the text read, without a string made for it.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    NamedColumn* column_;
    std::unordered_map<std::string, float, Hash, std::equal_to<>> index_;
};

// The missing numbers of a table read so far (before installNamed moves its values).
MissingNumbers missingNumbers(const NamedRows& table);

std::string tooManyLabels(const NamedColumn& column);

std::string_view stripByteOrderMark(std::string_view text);

// A text in UTF-16 would read as names and words full of zero bytes: it is refused instead.
bool isUtf16(std::string_view text);
// The refusal of a text in UTF-32 or UTF-16 (told by its byte order mark); empty for any other.
std::string_view wideTextRefusal(std::string_view text);

} // namespace kolven::named_rows
