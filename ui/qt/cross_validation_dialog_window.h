#pragma once

#include "cross_validation_dialog.h"
#include "dialog_window.h"

#include <vector>

class QLineEdit;
class QPushButton;

namespace kolven {

// The cross-validation dialog on screen: the list of methods, the digits-only edits for the
// folds, k and the seed, OK and ANULUJ. The edits open with the logic's texts.
class CrossValidationDialogWindow : public DialogWindow {
    Q_OBJECT

public:
    CrossValidationDialogWindow(CrossValidationDialog& dialog, QWidget* owner);

private:
    // Enables each edit and OK as the logic says.
    void followLogic();

    CrossValidationDialog& dialog_;
    std::vector<QLineEdit*> edits_; // in the order of kCvFields
    QPushButton* ok_ = nullptr;
};

} // namespace kolven
