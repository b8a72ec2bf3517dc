#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

// The menu commands, by their identifiers.
enum class CommandId : int {
    CreateSystem = 40001,
    GenerateSystem = 40002,
    LoadSystem = 40003,
    LoadTestSystem = 40004,
    SaveSystem = 40005,
    Quit = 40006,
    ComputeExhaustive = 40007,
    ShowExhaustive = 40008,
    ExportExhaustive = 40009,
    EditSystem = 40010,
    About = 40011,
    ComputeLem2 = 40012,
    ShowLem2 = 40013,
    ExportLem2 = 40014,
    EditTestSystem = 40015,
    ClassifyKnn = 40016,
    ShowKnn = 40017,
    CancelComputation = 40018,
    ComputeExhaustiveAllOrders = 40019,
    ToggleAttributeNames = 40020,
    ClassifyLem2 = 40021,
    ClassifyExhaustive = 40022,
    ComputeLem2Simplified = 40023,
    CrossValidate = 40024,
    ShowRuleClassification = 40025,
    ExportRuleClassification = 40026,
    ShowCrossValidation = 40027,
    ExportCrossValidation = 40028,
    ComputeApproximations = 40029,
    ComputeReducts = 40030,
    ComputeReductJohnson = 40031,
    ComputeReductGreedy = 40032,
    ShowApproximations = 40033,
    ExportApproximations = 40034,
    ShowReducts = 40035,
    ExportReducts = 40036,
    RestrictAttributes = 40037,
    DiscretizeSystem = 40038,
    ShowSystemInfo = 40039,
    ExportSystemInfo = 40040,
    ShowTestSystemInfo = 40041,
    ExportTestSystemInfo = 40042,
};

// What an open or save dialog offers: one filter entry, a default suffix, and for saving the
// overwrite prompt; an open dialog may also offer every file (kAllFilesLabel, with the platform's
// pattern for all names) and start in a given folder.
struct FileDialogSettings {
    std::string filterLabel;   // "Pliki MSD, TAB, CSV, ARFF"
    std::string filterPattern; // "*.msd;*.tab;*.csv;*.arff"
    std::string defaultSuffix; // "msd"
    bool offerAllFiles = false;
    std::filesystem::path startFolder; // empty: where the platform starts
};

inline constexpr std::string_view kAllFilesLabel = "Wszystkie pliki";

class ParameterDialog;
class KnnDialog;
class CrossValidationDialog;
class GridEditor;
class PreparationDialog;

// Everything the application shows goes through this interface: the Qt and the Win32 windows
// implement it, tests record it. Coordinates are pixels of the main window's client area.
class Screen {
public:
    virtual ~Screen() = default;

    // Menu entries, enabled or greyed by command identifier.
    virtual void setCommandEnabled(CommandId id, bool enabled) = 0;
    // The check mark of a menu entry that shows a setting (its MenuItem is checkable); the
    // application sets it at start and after every change, the screen only shows it.
    virtual void setCommandChecked(CommandId id, bool checked) = 0;

    // The "DALEJ" button.
    virtual void setNextButtonVisible(bool visible) = 0;
    virtual void setNextButtonEnabled(bool enabled) = 0;

    // The text area: an all-grey erase, text drawn at a point (lines split at '\n', 16 pixels
    // apart), text centred across the width, and a flush that makes what was drawn visible at
    // once (the wait line must be seen before a long computation starts).
    virtual void clearText() = 0;
    virtual void drawText(int x, int y, std::string_view text) = 0;
    virtual void drawCentered(int y, std::string_view text) = 0;
    virtual void flush() = 0;
    // Bottom edge of the page: the client height less 6 pixels.
    virtual int pageBottom() const = 0;

    // File dialogs; nothing when the user cancels.
    virtual std::optional<std::filesystem::path> askOpenFile(const FileDialogSettings& settings) = 0;
    virtual std::optional<std::filesystem::path> askSaveFile(const FileDialogSettings& settings) = 0;

    // A message box with a single OK button.
    virtual void showMessage(std::string_view text, std::string_view caption) = 0;
    // A question with Yes and No buttons and an empty caption; true for Yes.
    virtual bool askYesNo(std::string_view text) = 0;

    // The modal dialogs; each returns true when it ended with OK. The logic objects decide what
    // the fields accept and when OK is enabled; the screen only mirrors them.
    virtual bool runParameterDialog(ParameterDialog& dialog) = 0;
    virtual bool runKnnDialog(KnnDialog& dialog) = 0;
    // The cross-validation dialog: a list of methods and three digits-only edits.
    virtual bool runCrossValidationDialog(CrossValidationDialog& dialog) = 0;
    virtual bool runGridEditor(GridEditor& editor) = 0;
    // The attribute list or the discretization method: a drop-down list and edits, as its logic lays them out.
    virtual bool runPreparationDialog(PreparationDialog& dialog) = 0;

    // Closes the main window without asking ("Zakoncz").
    virtual void closeWindow() = 0;

    // Runs task on the window's thread as soon as it is free (after the command or event being
    // handled), tasks in the order posted. The one call that may come from any thread: the worker
    // of a long computation hands its progress and its end to the window this way. Tasks still
    // waiting when the window is destroyed are dropped.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace kolven
