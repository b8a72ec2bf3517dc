#pragma once

#include "decision_system.h"
#include "named_table_files.h"
#include "table_names.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kolven {

// Shown (with the caption kErrorCaption) for every table file that cannot be read.
inline constexpr std::string_view kCorruptFileMessage = "Plik jest uszkodzony!";
inline constexpr std::string_view kErrorCaption = "Błąd!";

// Reads a binary .msd table into target. Returns false, leaving target as it was, when the file
// cannot be read, its length does not match its counts, it holds no object or a value that is
// not finite.
bool readMsd(const std::filesystem::path& path, SystemDecyzyjny& target);
// The same, from the file's bytes already in memory.
bool parseMsd(std::string_view bytes, SystemDecyzyjny& target);

// Reads a .tab text table into target. Returns false, leaving target as it was, when the file
// cannot be read or its text is not a complete table (see the README for the format).
bool readTab(const std::filesystem::path& path, SystemDecyzyjny& target);
// The same, from text already in memory. On success, nonNumericValues (when given) receives the
// number of value tokens without a numeric beginning, which were read as 0.
bool parseTab(std::string_view text, SystemDecyzyjny& target, std::uint64_t* nonNumericValues = nullptr);

// The table file formats, told apart by the extension: .msd (its first three letters, any case),
// .csv and .arff (any case); any other name is read as .tab.
enum class TableFormat { Msd, Tab, Csv, Arff };
TableFormat tableFormat(const std::filesystem::path& path);

// What reading a table found beside its values.
struct TableRead {
    TableNames names;                   // attribute names and labels; empty for .msd and .tab
    std::uint64_t nonNumericValues = 0; // .tab value tokens without a number, read as 0
    ReadRefusal refusal;                // why a .csv or .arff file was refused
};

// Reads a table with the reader its format names. decision names the decision column of a .csv
// or .arff table (empty: the last column); asking for one in a table without names is a refusal.
// Returns false, leaving target as it was, when the file cannot be read or is refused.
bool readTable(const std::filesystem::path& path, SystemDecyzyjny& target, TableRead& read,
               std::string_view decision = {});
bool readTable(const std::filesystem::path& path, SystemDecyzyjny& target);

// What a failed read says: kCorruptFileMessage, and for a refusal with a reason also
// "FILE, wiersz N: WHAT" on a line of its own.
std::string readFailureText(std::string_view file, const ReadRefusal& refusal);
// The warning after reading a .tab file whose value tokens were not all numbers.
std::string nonNumericWarning(std::uint64_t count);

// The bytes of a table as .msd: the two counts, then the matrix, little-endian.
std::string msdBytes(const SystemDecyzyjny& source);
// Writes source as .msd. Returns false, leaving no file behind, when it cannot be written.
bool writeMsd(const std::filesystem::path& path, const SystemDecyzyjny& source);

// Writes bytes to a file, replacing it. Returns false, and removes what was partly written, when
// the file cannot be created or written.
bool writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

// A file name given as UTF-8 text, as kolven-cli takes its arguments on every platform. (A plain
// string would be read in the ANSI code page on Windows, which cannot spell every name.)
std::filesystem::path pathFromUtf8(std::string_view name);

// Token scanning of the .tab text. findTokenStart skips separators and "//" comments and returns
// the position of the next token character, or end when the text ends first. tokenLength returns
// the length of the token at position, or 0 when it runs up to the end of the text.
const char* findTokenStart(const char* position, const char* end);
std::size_t tokenLength(const char* position, const char* end);

// A count token read like atol (sign, digits, stop at anything else; saturating).
long long parseCount(std::string_view token);
// A token's leading decimal number as atof reads it in the "C" locale: its value (0 when the
// token has no numeric beginning), whether it had one, and how many characters it took.
struct NumberScan {
    double value = 0.0;
    bool found = false;
    std::size_t length = 0;
};
NumberScan scanNumber(std::string_view token);
// A value token read like atof in the "C" locale: decimal only, leading number or 0.
double parseValue(std::string_view token);
// True when the whole token is one decimal number (what the .csv reader takes as a number).
bool isWholeNumber(std::string_view token);

} // namespace kolven
