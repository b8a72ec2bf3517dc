#include "table_formats.h"

#include "arff_reader.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "file_access.h"
#include "table_files.h"

#include <algorithm>
#include <array>

namespace kolven {

namespace {

bool readMsdBytes(std::string_view bytes, const TableReadOptions&, SystemDecyzyjny& target, TableRead&)
{
    return parseMsd(bytes, target);
}

bool readTabFile(InputReader& input, const TableReadOptions&, SystemDecyzyjny& target, TableRead& read)
{
    return readTabInput(input, target, &read.nonNumericValues);
}

bool readCsvText(std::string_view text, const TableReadOptions& options, SystemDecyzyjny& target, TableRead& read)
{
    return parseCsv(text, options.decision, target, read.names, read.refusal, options.separator, &read.missing,
                    options.keepMissing);
}

bool readArffText(std::string_view text, const TableReadOptions& options, SystemDecyzyjny& target, TableRead& read)
{
    return parseArff(text, options.decision, target, read.names, read.refusal, &read.weightedRows, &read.missing,
                     options.keepMissing);
}

std::string writeMsdBytes(const SystemDecyzyjny& table, const TableNames*)
{
    return msdBytes(table);
}

constexpr std::array kFormats{
    TableFormatEntry{TableFormat::Msd, "msd", ".msd", "MSD", true, false, true, false, readMsdBytes, nullptr, writeMsdBytes},
    TableFormatEntry{TableFormat::Tab, "tab", ".tab", "TAB", false, true, false, false, nullptr, readTabFile, nullptr},
    TableFormatEntry{TableFormat::Csv, "csv", ".csv", "CSV", false, false, false, true, readCsvText, nullptr, csvText},
    TableFormatEntry{TableFormat::Arff, "arff", ".arff", "ARFF", false, false, false, true, readArffText, nullptr, nullptr},
};

std::string lowerExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return extension;
}

bool matches(const TableFormatEntry& entry, const std::string& extension)
{
    return entry.prefixMatch ? extension.starts_with(entry.extension) : extension == entry.extension;
}

// "(.msd, .csv, .arff, or .tab for any other extension)" over the formats that pass keep.
template <typename Keep, typename Fallback>
std::string formatList(Keep keep, Fallback fallback)
{
    std::string text;
    std::string_view last;
    for (const TableFormatEntry& entry : kFormats) {
        if (fallback(entry)) {
            last = entry.extension;
        } else if (keep(entry)) {
            text += std::string(entry.extension) + ", ";
        }
    }
    return text + "or " + std::string(last) + " for any other extension";
}

} // namespace

std::span<const TableFormatEntry> tableFormats()
{
    return kFormats;
}

const TableFormatEntry& formatEntry(TableFormat format)
{
    return *std::find_if(kFormats.begin(), kFormats.end(), [&](const TableFormatEntry& e) { return e.format == format; });
}

std::optional<TableFormat> formatNamed(std::string_view word)
{
    for (const TableFormatEntry& entry : kFormats) {
        if (entry.name == word) {
            return entry.format;
        }
    }
    return std::nullopt;
}

TableFormat tableFormat(const std::filesystem::path& path)
{
    const std::string extension = lowerExtension(path);
    TableFormat fallback = TableFormat::Tab;
    for (const TableFormatEntry& entry : kFormats) {
        if (matches(entry, extension)) {
            return entry.format;
        }
        fallback = entry.readFallback ? entry.format : fallback;
    }
    return fallback;
}

TableFormat writtenFormat(const std::filesystem::path& path)
{
    const std::string extension = lowerExtension(path);
    TableFormat fallback = TableFormat::Msd;
    for (const TableFormatEntry& entry : kFormats) {
        if (entry.write != nullptr && matches(entry, extension)) {
            return entry.format;
        }
        fallback = entry.writeFallback ? entry.format : fallback;
    }
    return fallback;
}

std::string openDialogFilterLabel()
{
    std::string text = "Pliki";
    for (const TableFormatEntry& entry : kFormats) {
        text += (text.size() == 5 ? " " : ", ") + std::string(entry.dialogName);
    }
    return text;
}

std::string openDialogFilterPattern()
{
    std::string text;
    for (const TableFormatEntry& entry : kFormats) {
        text += (text.empty() ? "*" : ";*") + std::string(entry.extension);
    }
    return text;
}

std::string saveDialogFilterLabel()
{
    std::string text = "Pliki";
    for (const TableFormatEntry& entry : kFormats) {
        if (entry.write != nullptr) {
            text += (text.size() == 5 ? " " : ", ") + std::string(entry.dialogName);
        }
    }
    return text;
}

std::string saveDialogFilterPattern()
{
    std::string text;
    for (const TableFormatEntry& entry : kFormats) {
        if (entry.write != nullptr) {
            text += (text.empty() ? "*" : ";*") + std::string(entry.extension);
        }
    }
    return text;
}

std::string readFormatsHelp()
{
    return "(" + formatList([](const TableFormatEntry&) { return true; }, [](const TableFormatEntry& e) { return e.readFallback; }) + ")";
}

std::string writtenFormatsHelp()
{
    return formatList([](const TableFormatEntry& e) { return e.write != nullptr; },
                      [](const TableFormatEntry& e) { return e.writeFallback; });
}

bool readTable(const std::filesystem::path& path, TableFormat format, SystemDecyzyjny& target, TableRead& read,
               const TableReadOptions& options)
{
    const std::string_view decision = options.decision;
    const TableFormatEntry& entry = formatEntry(format);
    if (!decision.empty() && !entry.named) {
        read.refusal = {0, "tabela bez nazw atrybutow: nie mozna wskazac decyzji \"" + std::string(decision) + "\""};
        return false;
    }
    const auto unreadable = [&read](InputProblem problem) {
        read.refusal = {0, std::string(inputProblemText(problem)), true};
        return false;
    };
    InputReader input;
    if (const InputProblem problem = input.open(path); problem != InputProblem::None) {
        return unreadable(problem);
    }
    read.refusal = {};
    if (entry.readOpened != nullptr) {
        return entry.readOpened(input, options, target, read) ||
               (input.problem() != InputProblem::None && unreadable(input.problem()));
    }
    std::string bytes;
    if (const InputProblem problem = input.readAll(bytes); problem != InputProblem::None) {
        return unreadable(problem);
    }
    return entry.read(bytes, options, target, read);
}

bool readTable(const std::filesystem::path& path, SystemDecyzyjny& target, TableRead& read, std::string_view decision)
{
    return readTable(path, tableFormat(path), target, read, TableReadOptions{decision});
}

bool readTable(const std::filesystem::path& path, SystemDecyzyjny& target)
{
    TableRead read;
    return readTable(path, target, read);
}

std::string readFailureText(std::string_view file, const ReadRefusal& refusal)
{
    std::string text(refusal.unreadable ? kUnreadableFileMessage : kCorruptFileMessage);
    if (!refusal.what.empty()) {
        text += "\n";
        text += file;
        if (refusal.line > 0) {
            text += ", wiersz " + std::to_string(refusal.line);
        }
        text += ": " + refusal.what;
    }
    return text;
}

} // namespace kolven
