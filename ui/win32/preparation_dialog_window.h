#pragma once

#include "modal_dialog.h"
#include "preparation_dialog.h"

namespace kolven {

// The attribute list or the discretization dialog on screen: each field of the logic with its
// label (the methods' drop-down list, or an edit opening with the logic's text), OK and ANULUJ.
class PreparationDialogWindow : public ModalDialog {
public:
    explicit PreparationDialogWindow(PreparationDialog& dialog) : ModalDialog(dialog.frame()), dialog_(dialog) {}

private:
    void createControls() override;
    void editChanged(HWND edit) override;
    void choiceChanged(HWND list) override;

    PreparationDialog& dialog_;
};

} // namespace kolven
