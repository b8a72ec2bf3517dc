#pragma once

#include "dialog_window.h"
#include "knn_dialog.h"

class QPushButton;

namespace kolven {

// The k-NN configuration dialog on screen: "Parametr k:", its digits-only edit, the list of
// normalizations, OK and ANULUJ.
// A 0 typed as k is replaced by "1" at once, as the logic asks.
class KnnDialogWindow : public DialogWindow {
    Q_OBJECT

public:
    KnnDialogWindow(KnnDialog& dialog, QWidget* owner);

private:
    KnnDialog& dialog_;
    QPushButton* ok_ = nullptr;
};

} // namespace kolven
