// The commands that compute, show and export results: rules, k-NN, classification by rules and
// cross-validation, with the background runs they share.
#include "application.h"

#include "cross_validation_dialog.h"
#include "knn_dialog.h"
#include "listed_rules.h"
#include "messages.h"
#include "methods.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <utility>

namespace kolven {

// --- computations -----------------------------------------------------------------------------

void Application::runComputation(ComputationRequest request)
{
    auto shared = std::make_shared<const ComputationRequest>(std::move(request));
    waitPage();
    // "DALEJ" would continue a listing under the wait line; the results page shows and enables it
    // again when they run over a page.
    painter_.setNextButtonVisible(false);
    painter_.setNextButtonEnabled(false);
    run_.start(
        shared->work, [this, shared] { drawProgress(shared->computation); },
        [this, shared](BackgroundRun::Outcome outcome) { guarded([&] { computationEnded(*shared, outcome); }); });
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
    switch (outcome) {
    case BackgroundRun::Outcome::Done:
        request.install();
        return;
    case BackgroundRun::Outcome::OutOfMemory:
        recoverFromOutOfMemory(request.kBefore);
        return;
    case BackgroundRun::Outcome::Refused:
    case BackgroundRun::Outcome::Cancelled:
        break;
    }
    // Nothing was computed, so the state and the menu are as they were.
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
    auto run = std::make_shared<ERCIM>();
    run->copyFrom(*state_.ercim);
    runComputation({Computation::Exhaustive, state_.knn.k,
                    [run, allOrders](Progress& progress) {
                        return runMethod(exhaustiveMethod(allOrders), *run, progress);
                    },
                    [this, run, allOrders] {
                        *state_.ercim = std::move(*run);
                        state_.computed.exhaustive = true;
                        state_.computed.exhaustiveAllOrders = allOrders;
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
    // A listing that fits shows no "DALEJ", whatever the one before left.
    painter_.setNextButtonVisible(false);
    painter_.setNextButtonEnabled(true);
    startPage();
    painter_.drawElapsedTime(state_.ercim->elapsedSeconds);
    if (!hasExhaustiveRules(*state_.ercim)) {
        // An empty listing would look like a failure; the export keeps its bytes.
        painter_.drawLine(kNoRulesText);
    }
    listExhaustiveRules(*state_.ercim, state_.listing, painter_, state_.shownNames());
    listingShown_ = true;
    shownExport_ = CommandId::ExportExhaustive;
}

// The plain and the simplified rules share one place: computing either offers the other.
void Application::computeLem2(bool simplify)
{
    auto run = std::make_shared<LEM2v1>();
    run->copyFrom(*state_.lem2);
    runComputation({Computation::Lem2, state_.knn.k,
                    [run, simplify](Progress& progress) {
                        return runMethod(lem2Method(simplify), *run, progress);
                    },
                    [this, run, simplify] {
                        *state_.lem2 = std::move(*run);
                        state_.computed.lem2 = true;
                        state_.computed.lem2Simplified = simplify;
                        showLem2();
                    },
                    kLem2NoAttributesMessage});
}

void Application::showLem2()
{
    state_.listing.lem2Position = 0;
    state_.listing.listingMode = ListingMode::Lem2;
    painter_.setNextButtonVisible(false);
    painter_.setNextButtonEnabled(true);
    startPage();
    painter_.drawElapsedTime(state_.lem2->elapsedSeconds);
    listLem2Rules(*state_.lem2, state_.listing, painter_, state_.shownNames());
    listingShown_ = true;
    shownExport_ = CommandId::ExportLem2;
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
    const bool written = isCsvPath(*path) ? writeFileBytes(*path, ruleStatisticsCsv(rules, listedRules(rules, state_.shownNames())))
                                          : rules.exportResults(*path, state_.shownNames());
    if (!written) {
        screen_.showMessage(kSaveFailedMessage, kErrorCaption);
    }
}

// The rule exports that dispatch names.
template void Application::exportRules<ERCIM>(const ERCIM& rules);
template void Application::exportRules<LEM2v1>(const LEM2v1& rules);

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
    const std::uint32_t kBefore = state_.knn.k;
    hideAndClear();
    KnnDialog dialog(state_.knn, state_.knnNormalization);
    if (!screen_.runKnnDialog(dialog) || !dialog.accepted()) {
        return;
    }
    const std::optional<Normalization> normalization = dialog.normalization();
    auto run = std::make_shared<kNNv1>();
    run->copyFrom(state_.knn);
    run->testSystem.copyFrom(state_.knn.testSystem);
    prepareTestTable(state_.preparation, run->testSystem);
    run->k = state_.knn.k;
    // Tables that do not fit each other are refused: the last results, and the k that made
    // them, stay.
    runComputation({Computation::Knn, kBefore,
                    [run, normalization](Progress& progress) {
                        if (normalization) {
                            rescaleBoth(*normalization, *run, run->testSystem);
                        }
                        return runMethod(*run, run->k, progress);
                    },
                    [this, run, normalization] {
                        // The test system stays as it was loaded and the decision system keeps its
                        // own values; only their prepared copies were classified.
                        run->testSystem = std::move(state_.knn.testSystem);
                        if (normalization) {
                            run->copyFrom(state_.knn);
                        }
                        state_.knn = std::move(*run);
                        state_.knnNormalization = normalization;
                        state_.computed.knn = true;
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
    } else if (state_.listing.listingMode == ListingMode::Text && analysisShown_) {
        (this->*analysisShown_)();
    } else {
        showExhaustive();
    }
}

// --- rules as classifiers -----------------------------------------------------------------------

void Application::classifyWithRules(const ClassificationRules& rules)
{
    hideAndClear();
    waitPage();
    SystemDecyzyjny test;
    test.copyFrom(state_.knn.testSystem);
    prepareTestTable(state_.preparation, test);
    if (const auto refusal = classifyByRules(rules, test, state_.ruleResults)) {
        // The last results, and their entries, stay.
        painter_.clearWindow();
        screen_.showMessage(refusalMessage(*refusal), kErrorCaption);
        return;
    }
    state_.computed.ruleClassification = true;
    showRuleResults();
}

void Application::showRuleResults()
{
    painter_.setNextButtonVisible(false);
    startPage();
    painter_.drawElapsedTime(state_.ruleResults.elapsedSeconds);
    // The six lines, a blank line, then the confusion matrix in columns.
    painter_.drawBlock(ruleSummaryText(state_.ruleResults));
    auto cells = confusionMatrixCells(state_.ruleResults, matrixNames());
    int matrixLine = 7;
    if (!cells.front().front().empty()) {
        // The corner's words are wider than a column: they stand on a line of their own above it.
        painter_.drawColumns(matrixLine++, {{cells.front().front()}});
        cells.front().front().clear();
    }
    painter_.drawColumns(matrixLine, cells);
    painter_.endDrawing();
    shownExport_ = CommandId::ExportRuleClassification;
}

const TableNames* Application::matrixNames() const
{
    // The test system's words are numbered as the decision system's only when both have names.
    return state_.shownNames() != nullptr ? namesToShow(state_.testNames, state_.knn.testSystem, true) : nullptr;
}

void Application::crossValidateSystem()
{
    hideAndClear();
    CrossValidationDialog dialog(state_.cvSettings, state_.cvSeedText, state_.cvResults.preparation.discretization);
    // A refusal is explained, then the dialog opens again with what was typed, to be mended.
    CvSettings settings;
    FoldPreparation preparation;
    for (;;) {
        if (!screen_.runCrossValidationDialog(dialog) || !dialog.accepted()) {
            return;
        }
        settings = dialog.settings(static_cast<std::uint32_t>(std::time(nullptr)));
        // The discretization is read as kolven-cli cv --discretize reads it.
        const std::string discretization = dialog.discretizationText();
        preparation.discretization.reset();
        if (!discretization.empty() && !(preparation.discretization = parseDiscretizationMethod(discretization))) {
            screen_.showMessage(kIntervalCountRefused, kErrorCaption);
            continue;
        }
        const auto refusal = checkCvSettings(*state_.ercim, settings);
        if (!refusal) {
            break;
        }
        screen_.showMessage(refusalMessage(*refusal), kErrorCaption);
    }
    if (preparation.discretization) {
        // The attributes the command line cuts: the numeric columns of a table with names.
        preparation.cutAttributes =
            defaultCutAttributes(*state_.ercim, state_.names.fits(*state_.ercim) ? &state_.names : nullptr);
    }
    const std::string seedText = dialog.fieldText(CvField::Seed);
    auto table = std::make_shared<SystemDecyzyjny>();
    table->copyFrom(*state_.ercim);
    auto results = std::make_shared<CrossValidation>();
    runComputation({Computation::CrossValidation, state_.knn.k,
                    [table, settings, preparation, results](Progress& progress) {
                        // Each fold's cuts are fitted on its training part alone.
                        return crossValidate(*table, settings, preparation, *results, progress);
                    },
                    [this, settings, seedText, results] {
                        state_.cvResults = std::move(*results);
                        state_.cvSettings = settings;
                        state_.cvSeedText = seedText;
                        state_.computed.crossValidation = true;
                        showCrossValidation();
                    },
                    {}});
}

// A line for every fold: with many folds the results go on over several pages, so that the
// totals at their end can be read.
void Application::showCrossValidation()
{
    showPagedText(state_.cvResults.elapsedSeconds, crossValidationText(state_.cvResults));
    shownExport_ = CommandId::ExportCrossValidation;
}

void Application::showPagedText(std::optional<double> elapsedSeconds, std::string text)
{
    pagedText_ = std::move(text);
    state_.listing.textLine = 0;
    painter_.setNextButtonVisible(false);
    painter_.setNextButtonEnabled(true);
    startPage();
    if (elapsedSeconds) {
        painter_.drawElapsedTime(*elapsedSeconds);
    }
    listTextLines(pagedText_, state_.listing, painter_);
}

} // namespace kolven
