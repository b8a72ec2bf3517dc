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
        const ParameterField which = field.field;
        connect(edit, &QLineEdit::textChanged, this, [this, which](const QString& text) {
            dialog_.setFieldText(which, toUtf8(text));
            ok_->setEnabled(dialog_.okEnabled());
        });
    }
    ok_ = addOkAndCancel(dialog_).first;
    ok_->setEnabled(dialog_.okEnabled());
}

} // namespace kolven
