#pragma once

#include "cross_validation_dialog.h"
#include "grid_editor.h"
#include "knn_dialog.h"
#include "modal_dialog.h"
#include "parameter_dialog.h"

#include <utility>
#include <vector>

namespace kolven {

// The parameter dialog on screen: a label and an edit per field of its mode, OK (disabled until
// the logic enables it, with a tooltip saying why where the logic gives a reason) and ANULUJ.
// Every change of an edit goes to the logic.
class ParameterDialogWindow : public ModalDialog {
public:
    explicit ParameterDialogWindow(ParameterDialog& dialog) : ModalDialog(dialog.frame()), dialog_(dialog) {}

private:
    void createControls() override;
    void editChanged(HWND edit) override;
    void followLogic();

    ParameterDialog& dialog_;
    std::vector<HWND> edits_;
    HWND ok_ = nullptr;
    HWND tip_ = nullptr;
};

// The k-NN configuration dialog on screen: "Parametr k:", a digits-only edit, the list of
// normalizations, OK and ANULUJ.
class KnnDialogWindow : public ModalDialog {
public:
    explicit KnnDialogWindow(KnnDialog& dialog) : ModalDialog(dialog.frame()), dialog_(dialog) {}

private:
    void createControls() override;
    void editChanged(HWND edit) override;
    void choiceChanged(HWND list) override;

    KnnDialog& dialog_;
    HWND ok_ = nullptr;
};

// The cross-validation dialog on screen: the list of methods, the digits-only edits for the
// folds, k and the seed, the list of discretizations with the edit for its K (opening with the
// logic's choices and texts), OK and ANULUJ.
class CrossValidationDialogWindow : public ModalDialog {
public:
    explicit CrossValidationDialogWindow(CrossValidationDialog& dialog)
        : ModalDialog(dialog.frame()), dialog_(dialog)
    {
    }

private:
    void createControls() override;
    void editChanged(HWND edit) override;
    void choiceChanged(HWND list) override;
    // Adds a label and its digits-only edit, opening with the logic's text.
    void addField(const CvFieldLayout& layout);
    // Enables each edit and OK as the logic says.
    void followLogic();

    CrossValidationDialog& dialog_;
    std::vector<std::pair<HWND, CvField>> edits_;
    HWND methods_ = nullptr;
    HWND ok_ = nullptr;
};

// The table editor on screen: OK and ANULUJ, at most 15 x 10 fields under their column and row
// labels, and the dialog's own scroll bars over a larger table. A bar's request goes to the
// logic; after a move every label and field is read again from it. The fields and the label
// column are wide enough for the widest texts, and the dialog for its caption and every column.
class GridEditorWindow : public ModalDialog {
public:
    explicit GridEditorWindow(GridEditor& editor);
    ~GridEditorWindow() override;

private:
    void createControls() override;
    void editChanged(HWND edit) override;
    void scrolled(int bar, WORD request, int trackPosition) override;
    void wheeled(int notches, bool columns) override;
    void okRefused() override;
    bool closesOnEscape() const override { return true; }
    void fitToTexts();
    void setUpBar(int bar, bool shown, std::uint32_t count, int page);
    void refill();
    // The bars' positions from the logic's first column and row.
    void setBarPositions();

    GridEditor& editor_;
    std::vector<HWND> columnLabels_;
    std::vector<HWND> rowLabels_;
    std::vector<HWND> cells_;
    HWND position_ = nullptr;
    // The fields' small font, which keeps 15 of them on a screen.
    HFONT cellFont_ = nullptr;
    bool filling_ = false;
};

} // namespace kolven
