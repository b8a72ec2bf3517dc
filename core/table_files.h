#pragma once

#include "decision_system.h"
#include "file_access.h"
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
// Shown instead for a file that could not be read at all (missing, a folder, no permission).
inline constexpr std::string_view kUnreadableFileMessage = "Nie mozna odczytac pliku!";

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
// The same, from an opened input: a regular file is read blockSize bytes at a time (more where a
// line is longer), so that its whole text is never held, a stream whole; the table is the one
// parseTab reads from the input's text. False also when the input cannot be read, input.problem()
// then saying why.
inline constexpr std::size_t kTabBlockBytes = std::size_t(1) << 20;
bool readTabInput(InputReader& input, SystemDecyzyjny& target, std::uint64_t* nonNumericValues = nullptr,
                  std::size_t blockSize = kTabBlockBytes);

// The warning after reading a .tab file whose value tokens were not all numbers.
std::string nonNumericWarning(std::uint64_t count);

// The bytes of a table as .msd: the two counts, then the matrix, little-endian.
std::string msdBytes(const SystemDecyzyjny& source);
// Writes source as .msd. Returns false, leaving no file behind, when it cannot be written.
bool writeMsd(const std::filesystem::path& path, const SystemDecyzyjny& source);

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
// The quick part of scanNumber for readers that hold a whole line: the plain decimal ("123",
// "-123.456": a sign, digits, a point and digits) that begins text and is not followed by a
// digit, a point or an exponent, read exactly as scanNumber reads it alone. Not found for any
// other text; the reader then takes the token and gives it to scanNumber.
NumberScan scanPlainDecimal(std::string_view text);
// A value token read like atof in the "C" locale: decimal only, leading number or 0.
double parseValue(std::string_view token);
// True when the whole token is one decimal number (what the .csv reader takes as a number).
bool isWholeNumber(std::string_view token);

} // namespace kolven
