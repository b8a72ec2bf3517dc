#pragma once

#include "decision_system.h"
#include "read_refusal.h"
#include "table_names.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kolven {

class InputReader;

// The table file formats, told apart by the extension: .msd (its first three letters, any case),
// .csv and .arff (any case); any other name is read as .tab.
enum class TableFormat { Msd, Tab, Csv, Arff };

// What reading a table found beside its values.
struct TableRead {
    TableNames names;                   // attribute names and labels; empty for .msd and .tab
    std::uint64_t nonNumericValues = 0; // .tab value tokens without a number, read as 0
    ReadRefusal refusal;                // why a .csv or .arff file was refused, or could not be read
    std::uint64_t weightedRows = 0;     // .arff rows whose instance weight was ignored
    MissingNumbers missing;             // missing values of numeric columns (NaN when kept)
};

// How a table is to be read beside its format.
struct TableReadOptions {
    std::string_view decision; // the decision column of a table with names (empty: the last one)
    char separator = 0;        // the separator of a .csv table (0: guessed)
    // Missing numbers are read as NaN rather than refused; the caller completes them (see
    // missing_values.h) before anything computes on the table.
    bool keepMissing = false;
};

// One file format of tables: how a file name tells it, how it is read and written, and how the
// open dialog and the CLI's help name it. Adding a format means adding its row to kTableFormats.
struct TableFormatEntry {
    TableFormat format;
    std::string_view name;       // "csv": the word --format takes
    std::string_view extension;  // ".csv"
    std::string_view dialogName; // "CSV", in the open dialog's "Pliki MSD, TAB, ..."
    bool prefixMatch;            // the extension's first letters are enough (".msd1", ".MSDx")
    bool readFallback;           // read this way when no extension matches
    bool writeFallback;          // written this way when no writable extension matches
    bool named;                  // the format carries attribute names (and so a --decision)
    // Reads the input's whole bytes, or nullptr when the format reads the opened input itself.
    bool (*read)(std::string_view bytes, const TableReadOptions& options, SystemDecyzyjny& target, TableRead& read);
    // Reads an opened input itself (a regular file a block at a time, never holding its whole
    // text), or nullptr when the format is read from the input's whole bytes.
    bool (*readOpened)(InputReader& input, const TableReadOptions& options, SystemDecyzyjny& target, TableRead& read);
    // The file's bytes for a table, or nullptr when the program does not write the format.
    std::string (*write)(const SystemDecyzyjny& table, const TableNames* names);
};

// Every format, in the order the open dialog lists them.
std::span<const TableFormatEntry> tableFormats();
const TableFormatEntry& formatEntry(TableFormat format);
// The format named by word ("tab", "msd", "csv", "arff"), if any.
std::optional<TableFormat> formatNamed(std::string_view word);

// The format a file name tells: the reader's choice, and the writer's among the written formats.
TableFormat tableFormat(const std::filesystem::path& path);
TableFormat writtenFormat(const std::filesystem::path& path);

// The open dialog's filter ("Pliki MSD, TAB, CSV, ARFF" and "*.msd;*.tab;*.csv;*.arff") and the
// CLI's help for a table argument ("(.msd, .csv, .arff, or .tab for any other extension)") and for
// an output table ("the file to write: .csv, or .msd for any other extension").
std::string openDialogFilterLabel();
std::string openDialogFilterPattern();
// The save dialog's filter over the formats the program writes: "Pliki MSD, CSV", "*.msd;*.csv".
std::string saveDialogFilterLabel();
std::string saveDialogFilterPattern();
std::string readFormatsHelp();
std::string writtenFormatsHelp();

// Reads a table with the reader its format names. decision names the decision column of a .csv
// or .arff table (empty: the last column); asking for one in a table without names is a refusal.
// Returns false, leaving target as it was, when the file cannot be read or is refused; a file
// that cannot be opened at all is a refusal with unreadable set, saying why.
bool readTable(const std::filesystem::path& path, SystemDecyzyjny& target, TableRead& read,
               std::string_view decision = {});
bool readTable(const std::filesystem::path& path, SystemDecyzyjny& target);
// The same, the format given rather than told by the name (a pipe or standard input as "-").
bool readTable(const std::filesystem::path& path, TableFormat format, SystemDecyzyjny& target, TableRead& read,
               const TableReadOptions& options);

// What a failed read says: kCorruptFileMessage, and for a refusal with a reason also
// "FILE, wiersz N: WHAT" on a line of its own; for a file that could not be read at all
// kUnreadableFileMessage and "FILE: WHY".
std::string readFailureText(std::string_view file, const ReadRefusal& refusal);

} // namespace kolven
