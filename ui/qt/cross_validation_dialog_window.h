#pragma once

#include "cross_validation_dialog.h"
#include "dialog_window.h"

class QPushButton;

namespace kolven {

// The cross-validation dialog on screen: the list of methods, the digits-only edits for the
// folds, k and the seed, OK and ANULUJ. The edits open with the logic's texts.
class CrossValidationDialogWindow : public DialogWindow {
    Q_OBJECT

public:
    CrossValidationDialogWindow(CrossValidationDialog& dialog, QWidget* owner);

private:
    CrossValidationDialog& dialog_;
    QPushButton* ok_ = nullptr;
};

} // namespace kolven
