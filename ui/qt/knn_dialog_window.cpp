#include "knn_dialog_window.h"

#include <QLineEdit>
#include <QPushButton>

namespace kolven {

KnnDialogWindow::KnnDialogWindow(KnnDialog& dialog, QWidget* owner)
    : DialogWindow(dialog.frame(), owner), dialog_(dialog)
{
    addLabel(kKnnFieldLabel, dialog_.labelBox());
    QLineEdit* edit = addEdit(dialog_.editBox(), true);
    ok_ = addOkAndCancel(dialog_).first;
    ok_->setEnabled(dialog_.okEnabled());

    connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
        if (dialog_.setFieldText(toUtf8(text)))
            edit->setText(toQString(dialog_.fieldText()));
        ok_->setEnabled(dialog_.okEnabled());
    });
}

} // namespace kolven
