#include "application.h"

#include "grid_editor.h"
#include "messages.h"
#include "parameter_dialog.h"
#include "roughsets_text.h"
#include "table_files.h"

#include <new>
#include <utility>

namespace kolven {

Application::Application(AppState& state, Screen& screen, RandomSystemGenerator& generator)
    : state_(state), screen_(screen), generator_(generator), painter_(state, screen), run_(screen)
{
}

void Application::start()
{
    updateMenu();
    screen_.setCommandChecked(CommandId::ToggleAttributeNames, state_.showNames);
    painter_.setNextButtonVisible(false);
}

void Application::runCommand(CommandId id)
{
    if (!isCommandId(static_cast<int>(id)) || !commandEnabled(id)) {
        return;
    }
    guarded([this, id] { dispatch(id); });
}

void Application::nextPageClicked()
{
    if (!painter_.nextButtonVisible() || !painter_.nextButtonEnabled()) {
        return;
    }
    guarded([this] {
        state_.savedCursorX = 0;
        state_.savedCursorY = 0;
        painter_.beginDrawing();
        if (state_.listing.listingMode == ListingMode::Lem2 && state_.lem2) {
            listLem2Rules(*state_.lem2, state_.listing, painter_, state_.shownNames());
        } else if (state_.listing.listingMode == ListingMode::Exhaustive && state_.ercim) {
            listExhaustiveRules(*state_.ercim, state_.listing, painter_, state_.shownNames());
        } else if (state_.listing.listingMode == ListingMode::Text) {
            listTextLines(pagedText_, state_.listing, painter_);
        } else {
            painter_.endDrawing();
        }
    });
}

void Application::exportShownResults()
{
    if (shownExport_) {
        runCommand(*shownExport_);
    }
}

bool Application::confirmClose()
{
    if (!screen_.askYesNo(kCloseQuestion)) {
        return false;
    }
    run_.cancelAndWait();
    return true;
}

void Application::guarded(const std::function<void()>& action)
{
    // Running out of memory is the one unexpected failure a command meets. The systems are
    // replaced only after their successors are complete, so restoring k is all that is left to
    // undo; the menu follows the state either way.
    const std::uint32_t kBefore = state_.knn.k;
    try {
        action();
    } catch (const std::bad_alloc&) {
        recoverFromOutOfMemory(kBefore);
    }
    updateMenu();
}

void Application::recoverFromOutOfMemory(std::uint32_t kBefore)
{
    state_.knn.k = kBefore;
    hideAndClear();
    screen_.showMessage(kOutOfMemoryMessage, kErrorCaption);
}

void Application::dispatch(CommandId id)
{
    switch (id) {
    case CommandId::CreateSystem: createSystem(); break;
    case CommandId::GenerateSystem: generateSystem(); break;
    case CommandId::LoadSystem: loadSystem(); break;
    case CommandId::LoadTestSystem: loadTestSystem(); break;
    case CommandId::SaveSystem: saveSystem(); break;
    case CommandId::Quit: screen_.closeWindow(); break;
    case CommandId::ComputeExhaustive: computeExhaustive(false); break;
    case CommandId::ShowExhaustive: showExhaustive(); break;
    case CommandId::ExportExhaustive: exportRules(*state_.ercim); break;
    case CommandId::EditSystem: editSystem(); break;
    case CommandId::About: showAbout(); break;
    case CommandId::ComputeLem2: computeLem2(false); break;
    case CommandId::ComputeLem2Simplified: computeLem2(true); break;
    case CommandId::ShowLem2: showLem2(); break;
    case CommandId::ExportLem2: exportRules(*state_.lem2); break;
    case CommandId::EditTestSystem: editTestSystem(); break;
    case CommandId::ClassifyKnn: classifyKnn(); break;
    case CommandId::ShowKnn: showKnn(); break;
    case CommandId::CancelComputation: run_.cancel(); break;
    case CommandId::ComputeExhaustiveAllOrders: computeExhaustive(true); break;
    case CommandId::ToggleAttributeNames: toggleNames(); break;
    case CommandId::ClassifyLem2: classifyWithRules(classificationRules(*state_.lem2)); break;
    case CommandId::ClassifyExhaustive: classifyWithRules(classificationRules(*state_.ercim)); break;
    case CommandId::ShowRuleClassification: showRuleResults(); break;
    case CommandId::ExportRuleClassification: exportText(ruleReportText(state_.ruleResults, matrixNames())); break;
    case CommandId::CrossValidate: crossValidateSystem(); break;
    case CommandId::ShowCrossValidation: showCrossValidation(); break;
    case CommandId::ExportCrossValidation: exportText(crossValidationReport(state_.cvResults)); break;
    case CommandId::ComputeApproximations: computeApproximations(); break;
    case CommandId::ComputeReducts: computeReducts(ReductMethod::All); break;
    case CommandId::ComputeReductJohnson: computeReducts(ReductMethod::Johnson); break;
    case CommandId::ComputeReductGreedy: computeReducts(ReductMethod::Greedy); break;
    case CommandId::ShowApproximations: showApproximations(); break;
    case CommandId::ExportApproximations:
        exportText(approximationsReport(state_.approximations, state_.shownNames()));
        break;
    case CommandId::ShowReducts: showReducts(); break;
    case CommandId::ExportReducts: exportText(reductsReport(state_.reducts, state_.shownNames())); break;
    case CommandId::RestrictAttributes: restrictAttributes(); break;
    case CommandId::DiscretizeSystem: discretizeSystem(); break;
    case CommandId::ShowSystemInfo: showSystemInfo(); break;
    case CommandId::ExportSystemInfo: exportSystemInfo(false); break;
    case CommandId::ShowTestSystemInfo: showTestSystemInfo(); break;
    case CommandId::ExportTestSystemInfo: exportSystemInfo(true); break;
    }
}

// --- menu -------------------------------------------------------------------------------------

void Application::updateMenu()
{
    for (int id = kFirstCommandId; id <= kLastCommandId; ++id) {
        screen_.setCommandEnabled(CommandId(id), commandEnabled(CommandId(id)));
    }
}

void Application::testSystemChanged()
{
    state_.computed.knn = false;
    state_.computed.ruleClassification = false;
}

// --- drawing ----------------------------------------------------------------------------------

void Application::hideAndClear()
{
    listingShown_ = false;
    shownExport_.reset();
    painter_.setNextButtonVisible(false);
    painter_.clearWindow();
}

void Application::startPage()
{
    listingShown_ = false; // a listing that is drawn sets it again once it is on the page
    shownExport_.reset();  // and results that can be exported say so
    state_.savedCursorX = 0;
    state_.savedCursorY = 0;
    painter_.beginDrawing();
}

void Application::waitPage()
{
    startPage();
    painter_.drawWaitMessage();
    painter_.endDrawing();
}

void Application::showAbout()
{
    listingShown_ = false;
    shownExport_.reset();
    painter_.setNextButtonVisible(false);
    painter_.drawAbout();
}

// --- installing systems -----------------------------------------------------------------------

void Application::installSystem(std::unique_ptr<ERCIM> system, TableNames names)
{
    // Every copy is made before anything is replaced, so a copy that fails leaves the old system.
    auto lem2 = std::make_unique<LEM2v1>();
    lem2->copyFrom(*system);
    state_.knn.copyFrom(*system);
    state_.ercim = std::move(system);
    state_.lem2 = std::move(lem2);
    state_.computed = {};
    state_.names = std::move(names);
    alignLabels(state_.names, state_.knn.testSystem, state_.testNames);
    state_.systemFile.clear();
    state_.systemNotes = {};
    state_.systemMissingNote.clear();
}

bool Application::editAndInstall(GridEditor& editor, const TableNames& names)
{
    if (!screen_.runGridEditor(editor) || !editor.accepted()) {
        return false;
    }
    auto system = std::make_unique<ERCIM>();
    system->installValues(editor.rowCount(), editor.attributeCount(), editor.takeValues());
    // Edited values keep the table's names; a table of another size is another table.
    TableNames kept = names.fits(*system) ? names : TableNames{};
    installSystem(std::move(system), std::move(kept));
    return true;
}

void Application::createSystem()
{
    hideAndClear();
    ParameterDialog dialog(ParameterDialogMode::Create);
    if (!screen_.runParameterDialog(dialog) || !dialog.accepted()) {
        return;
    }
    GridEditor editor = GridEditor::forNewSystem(dialog.objects(), dialog.attributes());
    if (editAndInstall(editor, {})) {
        state_.preparation.clear();
    }
}

void Application::generateSystem()
{
    hideAndClear();
    ParameterDialog dialog(ParameterDialogMode::Generate);
    // A refused range is explained, then the dialog opens again with what was typed, to be mended.
    for (;;) {
        if (!screen_.runParameterDialog(dialog) || !dialog.accepted()) {
            return;
        }
        state_.generatorMin = dialog.minimum();
        state_.generatorMax = dialog.maximum();
        const auto refusal = checkGeneratorParameters(dialog.objects(), state_.generatorMin, state_.generatorMax);
        if (!refusal) {
            break;
        }
        screen_.showMessage(refusalMessage(*refusal), kErrorCaption);
    }
    auto system = std::make_unique<ERCIM>();
    generator_.generate(*system, dialog.objects(), dialog.attributes(), state_.generatorMin, state_.generatorMax);
    installSystem(std::move(system), {});
    state_.preparation.clear();
}

bool Application::loadTable(SystemDecyzyjny& target, TableRead& read)
{
    hideAndClear();
    FileDialogSettings settings = kOpenTableDialog;
    settings.startFolder = lastOpenFolder_;
    const auto path = screen_.askOpenFile(settings);
    if (!path) {
        return false;
    }
    lastOpenFolder_ = path->parent_path();
    const std::u8string file = path->filename().u8string();
    lastOpenFile_.assign(file.begin(), file.end());
    // Missing numbers are kept, to be completed as the user chooses, rather than refused.
    if (!readTable(*path, tableFormat(*path), target, read, TableReadOptions{.decision = {}, .separator = 0, .keepMissing = true})) {
        screen_.showMessage(readFailureText(path->filename().string(), read.refusal), kErrorCaption);
        return false;
    }
    if (read.nonNumericValues > 0) {
        screen_.showMessage(nonNumericWarning(read.nonNumericValues), kWarningCaption);
    }
    return true;
}

void Application::loadSystem()
{
    auto system = std::make_unique<ERCIM>();
    TableRead read;
    if (!loadTable(*system, read)) {
        return;
    }
    std::string missingNote;
    if (read.missing.total > 0 && !completeMissingValues(*system, read.names, read.missing, false, missingNote)) {
        return;
    }
    installSystem(std::move(system), std::move(read.names));
    state_.preparation.clear();
    state_.systemFile = lastOpenFile_;
    state_.systemNotes = {read.nonNumericValues, read.weightedRows};
    state_.systemMissingNote = std::move(missingNote);
    showSystemInfo();
}

void Application::loadTestSystem()
{
    SystemDecyzyjny table;
    TableRead read;
    if (!loadTable(table, read)) {
        return;
    }
    // A test system is read as the table was loaded, before any restriction or cuts.
    alignLabels(state_.preparation.empty() ? state_.names : state_.preparation.front().namesBefore, table,
                read.names);
    // Its words now numbered as the decision system's, its missing values are completed from it.
    std::string missingNote;
    if (read.missing.total > 0 && !completeMissingValues(table, read.names, read.missing, true, missingNote)) {
        return;
    }
    state_.knn.testSystem = std::move(table);
    testSystemChanged();
    state_.testNames = std::move(read.names);
    state_.testFile = lastOpenFile_;
    state_.testNotes = {read.nonNumericValues, read.weightedRows};
    state_.testMissingNote = std::move(missingNote);
    showTestSystemInfo();
}

void Application::saveSystem()
{
    hideAndClear();
    const auto path = screen_.askSaveFile(kSaveTableDialog);
    if (!path) {
        return;
    }
    // A table with names keeps them in a .csv file whatever the window shows: saving loses nothing.
    const TableFormat format = writtenFormat(*path);
    const bool written = format == TableFormat::Msd
                             ? writeMsd(*path, *state_.ercim)
                             : writeFileBytes(*path, formatEntry(format).write(*state_.ercim,
                                                                               namesToShow(state_.names, *state_.ercim, true)));
    if (!written) {
        screen_.showMessage(kSaveFailedMessage, kErrorCaption);
    }
}

void Application::editSystem()
{
    hideAndClear();
    GridEditor editor = GridEditor::forSystem(*state_.ercim, state_.shownNames());
    editAndInstall(editor, state_.names);
}

void Application::editTestSystem()
{
    hideAndClear();
    SystemDecyzyjny& test = state_.knn.testSystem;
    GridEditor editor = GridEditor::forSystem(test, namesToShow(state_.testNames, test, state_.showNames));
    if (!screen_.runGridEditor(editor) || !editor.accepted()) {
        return;
    }
    test.installValues(test.objectCount, test.attributeCount, editor.takeValues());
    testSystemChanged();
    state_.testFile.clear();
    state_.testNotes = {};
    state_.testMissingNote.clear();
}

} // namespace kolven
