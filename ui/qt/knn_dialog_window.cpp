#include "knn_dialog_window.h"

#include <QLineEdit>
#include <QPushButton>

namespace kolven {

KnnDialogWindow::KnnDialogWindow(KnnDialog& dialog, QWidget* owner)
    : DialogWindow(dialog.frame(), owner), dialog_(dialog)
{
    addLabel(kKnnFieldLabel, dialog_.labelBox());
    QLineEdit* edit = addEdit(dialog_.editBox(), true);
    ok_ = addButton(kOkText, dialog_.okBox());
    ok_->setEnabled(dialog_.okEnabled());
    QPushButton* cancel = addButton(kCancelText, dialog_.cancelBox());

    connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
        if (dialog_.setFieldText(toUtf8(text)))
            edit->setText(toQString(dialog_.fieldText()));
        ok_->setEnabled(dialog_.okEnabled());
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        dialog_.accept();
        if (dialog_.accepted())
            done(Accepted);
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        dialog_.cancel();
        done(Rejected);
    });
}

} // namespace kolven
