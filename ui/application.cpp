#include "application.h"

#include "cross_validation_dialog.h"
#include "grid_editor.h"
#include "knn_dialog.h"
#include "listed_rules.h"
#include "messages.h"
#include "parameter_dialog.h"
#include "table_files.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <new>
#include <utility>

namespace kolven {

Application::Application(AppState& state, Screen& screen, RandomSystemGenerator& generator)
    : state_(state), screen_(screen), generator_(generator), painter_(state, screen), run_(screen)
{
}

void Application::start()
{
    for (int id = kFirstCommandId; id <= kLastCommandId; ++id) {
        setEnabled(CommandId(id), enabledAtStart(CommandId(id)));
    }
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
    // replaced only after their successors are complete, so restoring the menu and k is all that
    // is left to undo.
    const MenuState menuBefore = menu_;
    const std::uint32_t kBefore = state_.knn.k;
    try {
        action();
    } catch (const std::bad_alloc&) {
        recoverFromOutOfMemory(menuBefore, kBefore);
    }
}

void Application::recoverFromOutOfMemory(const MenuState& menuBefore, std::uint32_t kBefore)
{
    restoreMenu(menuBefore);
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
    case CommandId::ExportRuleClassification: exportText(ruleReportText(state_.ruleResults)); break;
    case CommandId::CrossValidate: crossValidateSystem(); break;
    case CommandId::ShowCrossValidation: showCrossValidation(); break;
    case CommandId::ExportCrossValidation: exportText(crossValidationReport(state_.cvResults)); break;
    }
}

// --- menu -------------------------------------------------------------------------------------

void Application::setEnabled(CommandId id, bool enabled)
{
    menu_[menuIndex(id)] = enabled;
    if (!computing()) {
        screen_.setCommandEnabled(id, enabled);
    }
}

// During a computation the screen shows every entry greyed but CancelComputation; menu_ keeps
// what the commands decided, shown again when the computation ends.
void Application::showMenu(bool whileComputing)
{
    for (int id = kFirstCommandId; id <= kLastCommandId; ++id) {
        const CommandId command{id};
        screen_.setCommandEnabled(command, whileComputing ? command == CommandId::CancelComputation
                                                          : menu_[menuIndex(command)]);
    }
}

void Application::restoreMenu(const MenuState& menu)
{
    for (int id = kFirstCommandId; id <= kLastCommandId; ++id) {
        if (menu[menuIndex(CommandId(id))] != commandEnabled(CommandId(id))) {
            setEnabled(CommandId(id), menu[menuIndex(CommandId(id))]);
        }
    }
}

// The decision system changed: its rules are gone, so both can be computed again and their
// results can be neither shown nor exported; the k-NN, rule classification and cross-validation
// results no longer describe it, and it can be cross-validated.
void Application::systemModifiedUpdate()
{
    setEnabled(CommandId::ComputeExhaustive, true);
    setEnabled(CommandId::ComputeExhaustiveAllOrders, true);
    setEnabled(CommandId::ComputeLem2, true);
    setEnabled(CommandId::ComputeLem2Simplified, true);
    setEnabled(CommandId::CrossValidate, true);
    for (CommandId id : {CommandId::ShowExhaustive, CommandId::ShowLem2, CommandId::ExportExhaustive,
                         CommandId::ExportLem2, CommandId::ShowKnn, CommandId::ShowRuleClassification,
                         CommandId::ExportRuleClassification, CommandId::ShowCrossValidation,
                         CommandId::ExportCrossValidation}) {
        setEnabled(id, false);
    }
    if (state_.testSystemHasValues()) {
        setEnabled(CommandId::ClassifyKnn, true);
    }
    ruleClassifyUpdate();
}

// The test system changed: the classification results no longer describe it.
void Application::testSystemChangedUpdate()
{
    setEnabled(CommandId::ShowKnn, false);
    setEnabled(CommandId::ShowRuleClassification, false);
    setEnabled(CommandId::ExportRuleClassification, false);
    if (state_.decisionSystemHasValues()) {
        setEnabled(CommandId::ClassifyKnn, true);
    }
    ruleClassifyUpdate();
}

void Application::ruleClassifyUpdate()
{
    const bool test = state_.testSystemHasValues();
    setEnabled(CommandId::ClassifyLem2, test && state_.lem2 && !state_.lem2->rules.empty());
    setEnabled(CommandId::ClassifyExhaustive, test && state_.ercim && state_.ercim->computed());
}

// A new decision system also makes saving and editing possible.
void Application::newSystemUpdate()
{
    setEnabled(CommandId::SaveSystem, true);
    setEnabled(CommandId::EditSystem, true);
    setEnabled(CommandId::ToggleAttributeNames, true);
    systemModifiedUpdate();
}

// --- drawing ----------------------------------------------------------------------------------

void Application::hideAndClear()
{
    listingShown_ = false;
    painter_.setNextButtonVisible(false);
    painter_.clearWindow();
}

void Application::startPage()
{
    listingShown_ = false; // a listing that is drawn sets it again once it is on the page
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
    state_.names = std::move(names);
    alignLabels(state_.names, state_.knn.testSystem, state_.testNames);
    state_.currentObjectCount = state_.ercim->objectCount;
    state_.currentAttributeCount = state_.ercim->attributeCount;
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
        newSystemUpdate();
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
    newSystemUpdate();
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
    if (!readTable(*path, target, read)) {
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
    installSystem(std::move(system), std::move(read.names));
    painter_.setNextButtonEnabled(false);
    newSystemUpdate();
}

void Application::loadTestSystem()
{
    TableRead read;
    if (!loadTable(state_.knn.testSystem, read)) {
        return;
    }
    state_.testNames = std::move(read.names);
    alignLabels(state_.names, state_.knn.testSystem, state_.testNames);
    setEnabled(CommandId::EditTestSystem, true);
    testSystemChangedUpdate();
}

void Application::saveSystem()
{
    hideAndClear();
    const auto path = screen_.askSaveFile(kSaveTableDialog);
    if (path && !writeMsd(*path, *state_.ercim)) {
        screen_.showMessage(kSaveFailedMessage, kErrorCaption);
    }
}

void Application::editSystem()
{
    hideAndClear();
    GridEditor editor = GridEditor::forSystem(*state_.ercim);
    if (editAndInstall(editor, state_.names)) {
        systemModifiedUpdate();
    }
}

void Application::editTestSystem()
{
    hideAndClear();
    SystemDecyzyjny& test = state_.knn.testSystem;
    GridEditor editor = GridEditor::forSystem(test);
    if (!screen_.runGridEditor(editor) || !editor.accepted()) {
        return;
    }
    test.installValues(test.objectCount, test.attributeCount, editor.takeValues());
    testSystemChangedUpdate();
}

// --- computations -----------------------------------------------------------------------------

void Application::runComputation(ComputationRequest request)
{
    auto shared = std::make_shared<const ComputationRequest>(std::move(request));
    waitPage();
    // "DALEJ" would continue a listing under the wait line; the results page enables it again.
    painter_.setNextButtonEnabled(false);
    run_.start(
        shared->work, [this, shared] { drawProgress(shared->computation); },
        [this, shared](BackgroundRun::Outcome outcome) { guarded([&] { computationEnded(*shared, outcome); }); });
    showMenu(true);
}

void Application::drawProgress(Computation computation)
{
    const SharedProgress& progress = run_.progress();
    const std::string line = progressLine(computation, progress.stage(), progress.done(), progress.total());
    startPage();
    painter_.drawWaitMessage();
    if (!line.empty()) {
        painter_.drawLine(line);
    }
    painter_.endDrawing();
}

void Application::computationEnded(const ComputationRequest& request, BackgroundRun::Outcome outcome)
{
    showMenu(false);
    switch (outcome) {
    case BackgroundRun::Outcome::Done:
        request.install();
        return;
    case BackgroundRun::Outcome::OutOfMemory:
        recoverFromOutOfMemory(request.menuBefore, request.kBefore);
        return;
    case BackgroundRun::Outcome::Refused:
    case BackgroundRun::Outcome::Cancelled:
        break;
    }
    // Nothing was computed, so nothing new can be shown or exported.
    restoreMenu(request.menuBefore);
    state_.knn.k = request.kBefore;
    painter_.setNextButtonVisible(false);
    if (outcome == BackgroundRun::Outcome::Refused) {
        painter_.clearWindow();
        screen_.showMessage(request.refusal, kErrorCaption);
        return;
    }
    startPage();
    painter_.drawLine(kCancelledMessage);
    painter_.endDrawing();
}

// --- rules ------------------------------------------------------------------------------------

// Each computation works on its own copy of the system, so that a cancelled or failed run leaves
// the objects the window shows untouched; a finished one replaces them on the window thread.
void Application::computeExhaustive(bool allOrders)
{
    const MenuState menuBefore = menu_;
    auto run = std::make_shared<ERCIM>();
    run->copyFrom(*state_.ercim);
    setEnabled(CommandId::ShowExhaustive, true);
    setEnabled(CommandId::ExportExhaustive, true);
    // The results are those of one search; the other one can still be asked for.
    setEnabled(CommandId::ComputeExhaustive, allOrders);
    setEnabled(CommandId::ComputeExhaustiveAllOrders, !allOrders);
    runComputation({Computation::Exhaustive, menuBefore, state_.knn.k,
                    [run, allOrders](Progress& progress) {
                        return run->computeRules(progress, ExhaustiveOptions{.allOrders = allOrders});
                    },
                    [this, run] {
                        *state_.ercim = std::move(*run);
                        ruleClassifyUpdate();
                        showExhaustive();
                    },
                    {}});
}

void Application::showExhaustive()
{
    state_.listing.exhaustiveOrder = 1;
    state_.listing.exhaustiveObject = 0;
    state_.listing.exhaustiveOffset = 0;
    state_.listing.listingMode = ListingMode::Exhaustive;
    painter_.setNextButtonEnabled(true);
    startPage();
    painter_.drawElapsedTime(state_.ercim->elapsedSeconds);
    if (!hasExhaustiveRules(*state_.ercim)) {
        // An empty listing would look like a failure; the export keeps its bytes.
        painter_.drawLine(kNoRulesText);
    }
    listExhaustiveRules(*state_.ercim, state_.listing, painter_, state_.shownNames());
    listingShown_ = true;
}

// The plain and the simplified rules share one place: computing either offers the other.
void Application::computeLem2(bool simplify)
{
    const MenuState menuBefore = menu_;
    auto run = std::make_shared<LEM2v1>();
    run->copyFrom(*state_.lem2);
    setEnabled(CommandId::ShowLem2, true);
    setEnabled(CommandId::ExportLem2, true);
    setEnabled(CommandId::ComputeLem2, simplify);
    setEnabled(CommandId::ComputeLem2Simplified, !simplify);
    runComputation({Computation::Lem2, menuBefore, state_.knn.k,
                    [run, simplify](Progress& progress) {
                        return simplify ? run->runLem2Simplified(progress) : run->runLem2(progress);
                    },
                    [this, run] {
                        *state_.lem2 = std::move(*run);
                        ruleClassifyUpdate();
                        showLem2();
                    },
                    kLem2NoAttributesMessage});
}

void Application::showLem2()
{
    state_.listing.lem2Position = 0;
    state_.listing.listingMode = ListingMode::Lem2;
    painter_.setNextButtonEnabled(true);
    startPage();
    painter_.drawElapsedTime(state_.lem2->elapsedSeconds);
    listLem2Rules(*state_.lem2, state_.listing, painter_, state_.shownNames());
    listingShown_ = true;
}

namespace {

bool isCsvPath(const std::filesystem::path& path)
{
    const std::string extension = path.extension().string();
    return std::equal(extension.begin(), extension.end(), kCsvSuffix.begin(), kCsvSuffix.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

} // namespace

template <typename Rules>
void Application::exportRules(const Rules& rules)
{
    hideAndClear();
    // An export that cannot be written is a failure the user must hear of, like a failed save.
    const auto path = screen_.askSaveFile(kExportDialog);
    if (!path) {
        return;
    }
    const bool written = isCsvPath(*path) ? writeFileBytes(*path, ruleStatisticsCsv(rules, listedRules(rules)))
                                          : rules.exportResults(*path, state_.shownNames());
    if (!written) {
        screen_.showMessage(kSaveFailedMessage, kErrorCaption);
    }
}

void Application::exportText(const std::string& bytes)
{
    hideAndClear();
    const auto path = screen_.askSaveFile(kExportDialog);
    if (path && !writeFileBytes(*path, bytes)) {
        screen_.showMessage(kSaveFailedMessage, kErrorCaption);
    }
}

// --- k-NN -------------------------------------------------------------------------------------

void Application::classifyKnn()
{
    const MenuState menuBefore = menu_;
    const std::uint32_t kBefore = state_.knn.k;
    hideAndClear();
    KnnDialog dialog(state_.knn);
    if (!screen_.runKnnDialog(dialog) || !dialog.accepted()) {
        return;
    }
    auto run = std::make_shared<kNNv1>();
    run->copyFrom(state_.knn);
    run->testSystem.copyFrom(state_.knn.testSystem);
    run->k = state_.knn.k;
    setEnabled(CommandId::ShowKnn, true);
    // Tables that do not fit each other are refused: the last results, and the k that made
    // them, stay.
    runComputation({Computation::Knn, menuBefore, kBefore,
                    [run](Progress& progress) { return run->classifyTestSystem(progress); },
                    [this, run] {
                        state_.knn = std::move(*run);
                        showKnnResults();
                    },
                    kKnnAttributeMismatchMessage});
}

void Application::showKnn()
{
    painter_.setNextButtonVisible(false);
    showKnnResults();
}

void Application::showKnnResults()
{
    startPage();
    painter_.drawElapsedTime(state_.knn.elapsedSeconds);
    painter_.drawBlock(knnResultsText(state_.knn));
    painter_.endDrawing();
}

// --- names ------------------------------------------------------------------------------------

// "Pokaz nazwy atrybutow": rule texts with the table's names or numbered; a listing on the window
// is drawn again from its first page in the new form.
void Application::toggleNames()
{
    state_.showNames = !state_.showNames;
    screen_.setCommandChecked(CommandId::ToggleAttributeNames, state_.showNames);
    if (!listingShown_) {
        return;
    }
    if (state_.listing.listingMode == ListingMode::Lem2) {
        showLem2();
    } else {
        showExhaustive();
    }
}

// --- rules as classifiers -----------------------------------------------------------------------

void Application::classifyWithRules(const ClassificationRules& rules)
{
    hideAndClear();
    waitPage();
    if (const auto refusal = classifyByRules(rules, state_.knn.testSystem, state_.ruleResults)) {
        // The last results, and their entries, stay.
        painter_.clearWindow();
        screen_.showMessage(refusalMessage(*refusal), kErrorCaption);
        return;
    }
    setEnabled(CommandId::ShowRuleClassification, true);
    setEnabled(CommandId::ExportRuleClassification, true);
    showRuleResults();
}

void Application::showRuleResults()
{
    painter_.setNextButtonVisible(false);
    startPage();
    painter_.drawElapsedTime(state_.ruleResults.elapsedSeconds);
    // The six lines, a blank line, then the confusion matrix in columns.
    painter_.drawBlock(ruleSummaryText(state_.ruleResults));
    painter_.drawColumns(7, confusionMatrixCells(state_.ruleResults));
    painter_.endDrawing();
}

void Application::crossValidateSystem()
{
    const MenuState menuBefore = menu_;
    hideAndClear();
    CrossValidationDialog dialog(state_.cvSettings);
    if (!screen_.runCrossValidationDialog(dialog) || !dialog.accepted()) {
        return;
    }
    const CvSettings settings = dialog.settings(static_cast<std::uint32_t>(std::time(nullptr)));
    if (const auto refusal = checkCvSettings(*state_.ercim, settings)) {
        screen_.showMessage(refusalMessage(*refusal), kErrorCaption);
        return;
    }
    auto table = std::make_shared<SystemDecyzyjny>();
    table->copyFrom(*state_.ercim);
    auto results = std::make_shared<CrossValidation>();
    setEnabled(CommandId::ShowCrossValidation, true);
    setEnabled(CommandId::ExportCrossValidation, true);
    runComputation({Computation::CrossValidation, menuBefore, state_.knn.k,
                    [table, settings, results](Progress& progress) {
                        return crossValidate(*table, settings, *results, progress);
                    },
                    [this, settings, results] {
                        state_.cvResults = std::move(*results);
                        state_.cvSettings = settings;
                        showCrossValidation();
                    },
                    {}});
}

// A line for every fold: with many folds the results go on over several pages, so that the
// totals at their end can be read.
void Application::showCrossValidation()
{
    pagedText_ = crossValidationText(state_.cvResults);
    state_.listing.textLine = 0;
    painter_.setNextButtonVisible(false);
    painter_.setNextButtonEnabled(true);
    startPage();
    painter_.drawElapsedTime(state_.cvResults.elapsedSeconds);
    listTextLines(pagedText_, state_.listing, painter_);
}

} // namespace kolven
