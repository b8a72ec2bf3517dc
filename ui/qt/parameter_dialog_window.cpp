#include "parameter_dialog_window.h"

#include <QLineEdit>
#include <QPushButton>

namespace kolven {

ParameterDialogWindow::ParameterDialogWindow(ParameterDialog& dialog, QWidget* owner)
    : DialogWindow(dialog.frame(), owner), dialog_(dialog)
{
    for (const ParameterFieldLayout& field : dialog_.fields()) {
        addLabel(field.label, field.labelBox);
        QLineEdit* edit = addEdit(field.editBox, field.digitsOnly);
        // A dialog opened again after a refusal shows what was typed before.
        edit->setText(toQString(dialog_.fieldText(field.field)));
        const ParameterField which = field.field;
        connect(edit, &QLineEdit::textChanged, this, [this, which](const QString& text) {
            dialog_.setFieldText(which, toUtf8(text));
            followLogic();
        });
    }
    ok_ = addOkAndCancel(dialog_).first;
    followLogic();
}

void ParameterDialogWindow::followLogic()
{
    ok_->setEnabled(dialog_.okEnabled());
    ok_->setToolTip(toQString(dialog_.okDisabledReason()));
}

} // namespace kolven
