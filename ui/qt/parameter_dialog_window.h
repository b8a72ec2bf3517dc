#pragma once

#include "dialog_window.h"
#include "parameter_dialog.h"

class QPushButton;

namespace kolven {

// The parameter dialog on screen: the labelled fields of its mode, OK and ANULUJ. Every edit
// passes its text to the logic as it changes; OK follows the logic's enabling.
class ParameterDialogWindow : public DialogWindow {
    Q_OBJECT

public:
    ParameterDialogWindow(ParameterDialog& dialog, QWidget* owner);

private:
    // OK enabled, and its tooltip saying why not, as the logic says.
    void followLogic();

    ParameterDialog& dialog_;
    QPushButton* ok_ = nullptr;
};

} // namespace kolven
