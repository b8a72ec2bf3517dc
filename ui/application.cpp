#include "application.h"

#include "grid_editor.h"
#include "knn_dialog.h"
#include "messages.h"
#include "parameter_dialog.h"
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
    case CommandId::ExportExhaustive: exportResults(*state_.ercim); break;
    case CommandId::EditSystem: editSystem(); break;
    case CommandId::About: showAbout(); break;
    case CommandId::ComputeLem2: computeLem2(); break;
    case CommandId::ShowLem2: showLem2(); break;
    case CommandId::ExportLem2: exportResults(*state_.lem2); break;
    case CommandId::EditTestSystem: editTestSystem(); break;
    case CommandId::ClassifyKnn: classifyKnn(); break;
    case CommandId::ShowKnn: showKnn(); break;
    case CommandId::CancelComputation: run_.cancel(); break;
    case CommandId::ComputeExhaustiveAllOrders: computeExhaustive(true); break;
    case CommandId::ToggleAttributeNames: toggleNames(); break;
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
// results can be neither shown nor exported; the k-NN results no longer describe it.
void Application::systemModifiedUpdate()
{
    setEnabled(CommandId::ComputeExhaustive, true);
    setEnabled(CommandId::ComputeExhaustiveAllOrders, true);
    setEnabled(CommandId::ComputeLem2, true);
    for (CommandId id : {CommandId::ShowExhaustive, CommandId::ShowLem2, CommandId::ExportExhaustive,
                         CommandId::ExportLem2, CommandId::ShowKnn}) {
        setEnabled(id, false);
    }
    if (state_.testSystemHasValues()) {
        setEnabled(CommandId::ClassifyKnn, true);
    }
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
        const auto refusal = checkGeneratorParameters(dialog.objects(), dialog.minimum(), dialog.maximum());
        if (!refusal) {
            break;
        }
        screen_.showMessage(refusalMessage(*refusal), kErrorCaption);
    }
    auto system = std::make_unique<ERCIM>();
    generator_.generate(*system, dialog.objects(), dialog.attributes(), dialog.minimum(), dialog.maximum());
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
    setEnabled(CommandId::ShowKnn, false);
    if (state_.decisionSystemHasValues()) {
        setEnabled(CommandId::ClassifyKnn, true);
    }
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
    if (state_.decisionSystemHasValues()) {
        setEnabled(CommandId::ClassifyKnn, true);
    }
    setEnabled(CommandId::ShowKnn, false);
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

void Application::computeLem2()
{
    const MenuState menuBefore = menu_;
    auto run = std::make_shared<LEM2v1>();
    run->copyFrom(*state_.lem2);
    setEnabled(CommandId::ShowLem2, true);
    setEnabled(CommandId::ExportLem2, true);
    setEnabled(CommandId::ComputeLem2, false);
    runComputation({Computation::Lem2, menuBefore, state_.knn.k,
                    [run](Progress& progress) { return run->runLem2(progress); },
                    [this, run] {
                        *state_.lem2 = std::move(*run);
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

void Application::exportResults(const SystemDecyzyjny& results)
{
    hideAndClear();
    // An export that cannot be written is a failure the user must hear of, like a failed save.
    const auto path = screen_.askSaveFile(kExportDialog);
    if (path && !results.exportResults(*path, state_.shownNames())) {
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
    listingShown_ = false;
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

} // namespace kolven
