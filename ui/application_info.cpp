// The description of the loaded systems: what kolven-cli info says of a table, shown at once
// after a load so that the window tells what was loaded, and on demand for either system.
#include "application.h"

#include "table_summary.h"
#include "text_format.h"

namespace kolven {

std::string Application::systemInfoText(bool testSystem) const
{
    const SystemDecyzyjny& system = testSystem ? static_cast<const SystemDecyzyjny&>(state_.knn.testSystem) : *state_.ercim;
    const TableNames& names = testSystem ? state_.testNames : state_.names;
    const std::string& file = testSystem ? state_.testFile : state_.systemFile;
    std::string text = testSystem ? "System testowy" : "System decyzyjny";
    text += file.empty() ? "\n" : ": " + file + "\n";
    // The summary builds the decision classes; a copy keeps the installed system as it is.
    SystemDecyzyjny copy;
    copy.copyFrom(system);
    text += tableSummary(copy, testSystem ? state_.testNotes : state_.systemNotes,
                         namesToShow(names, system, state_.showNames));
    const std::string& missingNote = testSystem ? state_.testMissingNote : state_.systemMissingNote;
    return missingNote.empty() ? text : text + missingNote + "\n";
}

namespace {

// A text's lines without the line end of the last one, which would page as an empty line.
std::string withoutFinalLineEnd(std::string text)
{
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

} // namespace

void Application::showSystemInfo()
{
    showPagedText(std::nullopt, withoutFinalLineEnd(systemInfoText(false)));
    listingShown_ = true;
    analysisShown_ = &Application::showSystemInfo;
    shownExport_ = CommandId::ExportSystemInfo;
}

void Application::showTestSystemInfo()
{
    showPagedText(std::nullopt, withoutFinalLineEnd(systemInfoText(true)));
    listingShown_ = true;
    analysisShown_ = &Application::showTestSystemInfo;
    shownExport_ = CommandId::ExportTestSystemInfo;
}

void Application::exportSystemInfo(bool testSystem)
{
    std::string bytes;
    for (const char c : systemInfoText(testSystem)) {
        bytes += c == '\n' ? std::string(kLineEnd) : std::string(1, c);
    }
    exportText(bytes);
}

} // namespace kolven
