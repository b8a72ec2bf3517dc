#include "cross_validation_dialog_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace kolven {

CrossValidationDialogWindow::CrossValidationDialogWindow(CrossValidationDialog& dialog, QWidget* owner)
    : DialogWindow(dialog.frame(), owner), dialog_(dialog)
{
    addLabel(kCvMethodLabel, kCvMethodLabelBox);
    auto* methods = new QComboBox(this);
    methods->setObjectName(QStringLiteral("method"));
    methods->setGeometry(kCvMethodBox.x, kCvMethodBox.y, kCvMethodBox.width, kCvMethodBox.height);
    for (const MethodInfo& choice : kCvMethodChoices)
        methods->addItem(toQString(choice.windowLabel));
    methods->setCurrentIndex(int(dialog_.methodIndex()));
    connect(methods, &QComboBox::currentIndexChanged, this,
            [this](int index) {
                dialog_.setMethod(std::size_t(std::max(index, 0)));
                followLogic();
            });

    for (const CvFieldLayout& layout : kCvFields) {
        addLabel(layout.label, layout.labelBox);
        QLineEdit* edit = addEdit(layout.editBox, true);
        edits_.push_back(edit);
        edit->setText(toQString(dialog_.fieldText(layout.field)));
        const CvField field = layout.field;
        connect(edit, &QLineEdit::textChanged, this, [this, edit, field](const QString& text) {
            if (dialog_.setFieldText(field, toUtf8(text)))
                edit->setText(toQString(dialog_.fieldText(field)));
            ok_->setEnabled(dialog_.okEnabled());
        });
    }
    ok_ = addOkAndCancel(dialog_).first;
    followLogic();
}

void CrossValidationDialogWindow::followLogic()
{
    for (std::size_t i = 0; i < edits_.size(); ++i)
        edits_[i]->setEnabled(dialog_.fieldEnabled(kCvFields[i].field));
    ok_->setEnabled(dialog_.okEnabled());
}

} // namespace kolven
