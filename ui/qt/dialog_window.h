#pragma once

#include "dialog_layout.h"

#include <QDialog>
#include <QPushButton>

#include <string_view>
#include <utility>

class QLabel;
class QLineEdit;

namespace kolven {

// The frame shared by the program's modal dialogs: a caption without a close box, a fixed
// client area sized from dialog units, controls placed in pixels, and no keyboard way out:
// Enter and Escape do nothing, so only the dialog's own OK and ANULUJ end it.
class DialogWindow : public QDialog {
    Q_OBJECT

public:
    // Sets the caption, size and position of frame; owner is the main window.
    DialogWindow(const DialogFrame& frame, QWidget* owner);

    // Escape and the window system's close request arrive here; they are refused.
    void reject() override;

    // Pixels per dialog unit, both ways: the system font's character box is 8 x 16 pixels.
    static constexpr int kPixelsPerUnit = 2;

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // Adds a label, an edit (digits only when asked) or a button at box.
    QLabel* addLabel(std::string_view text, const ControlBox& box);
    QLineEdit* addEdit(const ControlBox& box, bool digitsOnly);
    QPushButton* addButton(std::string_view text, const ControlBox& box);

    // Adds the OK and ANULUJ buttons of a dialog's logic: OK starts as the logic enables it and
    // ends the dialog once the logic accepts; ANULUJ cancels the logic and ends the dialog.
    template <typename Logic>
    std::pair<QPushButton*, QPushButton*> addOkAndCancel(Logic& logic)
    {
        QPushButton* ok = addButton(kOkText, logic.okBox());
        QPushButton* cancel = addButton(kCancelText, logic.cancelBox());
        connect(ok, &QPushButton::clicked, this, [this, &logic] {
            logic.accept();
            if (logic.accepted())
                done(Accepted);
        });
        connect(cancel, &QPushButton::clicked, this, [this, &logic] {
            logic.cancel();
            done(Rejected);
        });
        return {ok, cancel};
    }
};

// UTF-8 text for the logic objects and back.
QString toQString(std::string_view text);
std::string toUtf8(const QString& text);

} // namespace kolven
