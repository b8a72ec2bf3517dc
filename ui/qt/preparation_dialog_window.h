#pragma once

#include "dialog_window.h"
#include "preparation_dialog.h"

namespace kolven {

// The attribute list or the discretization dialog on screen: each field of the logic with its
// label (the methods' drop-down list, or an edit opening with the logic's text), OK and ANULUJ.
class PreparationDialogWindow : public DialogWindow {
    Q_OBJECT

public:
    PreparationDialogWindow(PreparationDialog& dialog, QWidget* owner);

private:
    PreparationDialog& dialog_;
};

} // namespace kolven
