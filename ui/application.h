#pragma once

#include "app_state.h"
#include "background_run.h"
#include "generator.h"
#include "menu.h"
#include "menu_rules.h"
#include "painter.h"
#include "screen.h"
#include "table_files.h"
#include "table_formats.h"
#include "window_layout.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

inline constexpr std::string_view kCloseQuestion = "Czy chcesz zakończyć działanie programu?";

// The file dialogs: tables to open, tables to save (with the overwrite prompt), rule exports.
inline const FileDialogSettings kOpenTableDialog{openDialogFilterLabel(), openDialogFilterPattern(), "msd", true, {}};
inline const FileDialogSettings kSaveTableDialog{saveDialogFilterLabel(), saveDialogFilterPattern(), "msd", false, {}};
inline const FileDialogSettings kExportDialog{"Pliki TXT", "*.txt", "txt", false, {}};

// The caption of the warning after a .tab file whose values were not all numbers.
inline constexpr std::string_view kWarningCaption = "Uwaga!";

// A rule export to a file name ending in this (any case) writes the rules' statistics as CSV.
inline constexpr std::string_view kCsvSuffix = ".csv";

// Shown when a table or an export cannot be written where the user asked.
inline constexpr std::string_view kSaveFailedMessage = "Nie mozna zapisac pliku!";
// Shown under the time line when the exhaustive search found no rule at all.
inline constexpr std::string_view kNoRulesText = "Brak regul.";

// Drawn in place of the wait line when the user stopped a computation.
inline constexpr std::string_view kCancelledMessage = "Obliczenia przerwane.";


// The program: its command table, its menu rules and the "DALEJ" paging, over the state it is
// given and a screen. Each command runs to completion, except the computations: they run on a
// worker thread, during which only CancelComputation can be chosen, and deliver their results
// through Screen::post. A command that is cancelled, refused or runs out of memory leaves the
// systems, their results, the menu and k as they were.
class Application {
public:
    Application(AppState& state, Screen& screen, RandomSystemGenerator& generator);

    // Puts the menu in its start state and hides "DALEJ".
    void start();

    // Runs a menu command. A command whose entry is greyed is ignored.
    void runCommand(CommandId id);

    // Continues the listing that the last listing page left ("DALEJ"); ignored while the button
    // is hidden or disabled.
    void nextPageClicked();
    // Ctrl+E: the export of the results on the window, as its menu entry does; nothing while the
    // window shows no results that can be exported.
    void exportShownResults();

    // Asks kCloseQuestion; true when the window may close. Yes during a computation stops it and
    // waits for its worker first.
    bool confirmClose();

    // Whether the entry of id can be chosen now (commandAvailable over the state): during a
    // computation, CancelComputation alone.
    bool commandEnabled(CommandId id) const { return commandAvailable(id, state_, computing()); }
    // True while a computation runs on its worker thread.
    bool computing() const { return run_.running(); }

private:
    // Runs action, then shows the menu the state now calls for; if memory runs out, restores k
    // and shows kOutOfMemoryMessage.
    void guarded(const std::function<void()>& action);
    void recoverFromOutOfMemory(std::uint32_t kBefore);
    void dispatch(CommandId id);
    // Sets every entry of the screen's menu to what commandAvailable says.
    void updateMenu();
    void hideAndClear();
    void startPage();
    void waitPage();

    void createSystem();
    void generateSystem();
    // Asks for a table file and reads it into target; a failed read shows kCorruptFileMessage (with
    // the line and the fault of a refused .csv or .arff file) and leaves target as it was. A .tab
    // file with values that are not numbers is read, and the user is told. False when nothing was read.
    bool loadTable(SystemDecyzyjny& target, TableRead& read);
    // Completes the missing values of a table just read as the user chooses (or cancels): fitted
    // on the table itself, or for a test system on the decision system, never on its own values.
    // False, with the reason shown, when nothing is to be installed; note says what was done.
    bool completeMissingValues(SystemDecyzyjny& table, const TableNames& names, const MissingNumbers& missing,
                               bool testSystem, std::string& note);
    void loadSystem();
    void loadTestSystem();
    void saveSystem();
    // What a computation command hands to runComputation: k from before the command changed it,
    // the work for the worker thread (on objects of its own), what installs its results on the
    // window thread, and the message of a refusal.
    struct ComputationRequest {
        Computation computation;
        std::uint32_t kBefore;
        std::function<bool(Progress&)> work;
        std::function<void()> install;
        std::string_view refusal;
    };
    // Draws the wait page and starts the work; the menu shows only CancelComputation until it ends.
    void runComputation(ComputationRequest request);
    void drawProgress(Computation computation);
    void computationEnded(const ComputationRequest& request, BackgroundRun::Outcome outcome);

    void computeExhaustive(bool allOrders);
    void showExhaustive();
    // Asks for an export file; the rules' export, or their statistics for a ".csv" name.
    template <typename Rules>
    void exportRules(const Rules& rules);
    // Asks for an export file and writes bytes to it; a failed write is reported.
    void exportText(const std::string& bytes);
    void editSystem();
    void computeLem2(bool simplify);
    void showLem2();
    void editTestSystem();
    void classifyKnn();
    void showKnn();
    void showKnnResults();
    void classifyWithRules(const ClassificationRules& rules);
    void showRuleResults();
    // The names the confusion matrix labels the decisions with: none when hidden or when either
    // system has none.
    const TableNames* matrixNames() const;
    void crossValidateSystem();
    void showCrossValidation();
    // Draws the time line, then text paged with "DALEJ" (the listing mode Text).
    void showPagedText(std::optional<double> elapsedSeconds, std::string text);
    void computeApproximations();
    void showApproximations();
    void computeReducts(ReductMethod method);
    void showReducts();
    // "Ogranicz do atrybutow...": asks for the attributes (the last reduct filled in) and installs
    // the reduced table; a refused list is explained and asked again.
    void restrictAttributes();
    // "Dyskretyzuj system decyzyjny...": asks for the method, fits the cuts in the background and
    // installs the coded table, showing the cuts.
    void discretizeSystem();
    void showCuts();
    void showAbout();
    void toggleNames();
    // The description of the decision system, or of the test system, as kolven-cli info gives it,
    // under a line naming the system and its file; paged like the rough-set results.
    std::string systemInfoText(bool testSystem) const;
    void showSystemInfo();
    void showTestSystemInfo();
    void exportSystemInfo(bool testSystem);

    // Installs a decision system with its names (empty for a table without them).
    void installSystem(std::unique_ptr<ERCIM> system, TableNames names);
    // Runs the table editor on a decision system; installs what it holds on OK, with names when
    // they still fit its size. False on ANULUJ.
    bool editAndInstall(GridEditor& editor, const TableNames& names);
    // The test system changed: the classification results no longer describe it.
    void testSystemChanged();

    AppState& state_;
    Screen& screen_;
    RandomSystemGenerator& generator_;
    Painter painter_;
    BackgroundRun run_;
    // True while the window shows a rule listing, which a change of the names setting redraws.
    bool listingShown_ = false;
    // The text whose pages "DALEJ" turns while the listing mode is ListingMode::Text.
    std::string pagedText_;
    // What draws the rough-set results on the window again, in the new form, when the names
    // setting changes (while listingShown_ and the listing mode is ListingMode::Text).
    void (Application::*analysisShown_)() = nullptr;
    // The export entry of the results on the window (Ctrl+E); none while it shows none.
    std::optional<CommandId> shownExport_;
    // The cuts of the last discretization as shown ("a3 petallength: 2.45 4.95"), with their time.
    std::string cutsText_;
    double cutsSeconds_ = 0;
    // The folder of the last table file chosen to open; the open dialog starts there.
    std::filesystem::path lastOpenFolder_;
    // The name of the last table file read, as the description of its system names it.
    std::string lastOpenFile_;
};

} // namespace kolven
