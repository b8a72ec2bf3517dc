#pragma once

#include "cross_validation_dialog.h"
#include "dialog_window.h"

#include <utility>
#include <vector>

class QLineEdit;
class QPushButton;

namespace kolven {

// The cross-validation dialog on screen: the list of methods, the digits-only edits for the
// folds, k and the seed, the list of discretizations with the edit for its K, OK and ANULUJ. The
// lists and edits open with the logic's choices and texts.
class CrossValidationDialogWindow : public DialogWindow {
    Q_OBJECT

public:
    CrossValidationDialogWindow(CrossValidationDialog& dialog, QWidget* owner);

private:
    // Adds a label and its digits-only edit, which hands every change to the logic.
    void addField(const CvFieldLayout& layout);
    // Enables each edit and OK as the logic says.
    void followLogic();

    CrossValidationDialog& dialog_;
    std::vector<std::pair<QLineEdit*, CvField>> edits_;
    QPushButton* ok_ = nullptr;
};

} // namespace kolven
