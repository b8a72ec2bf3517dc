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

    for (const CvFieldLayout& layout : kCvFields)
        addField(layout);

    addLabel(kCvDiscretizationLabel, kCvDiscretizationLabelBox);
    auto* discretizations = new QComboBox(this);
    discretizations->setObjectName(QStringLiteral("discretization"));
    discretizations->setGeometry(kCvDiscretizationBox.x, kCvDiscretizationBox.y, kCvDiscretizationBox.width,
                                 kCvDiscretizationBox.height);
    for (std::string_view choice : kCvDiscretizationChoices)
        discretizations->addItem(toQString(choice));
    discretizations->setCurrentIndex(int(dialog_.discretizationIndex()));
    connect(discretizations, &QComboBox::currentIndexChanged, this,
            [this](int index) {
                dialog_.setDiscretization(std::size_t(std::max(index, 0)));
                followLogic();
            });
    addField(kCvIntervalsField);

    ok_ = addOkAndCancel(dialog_).first;
    followLogic();
}

void CrossValidationDialogWindow::addField(const CvFieldLayout& layout)
{
    addLabel(layout.label, layout.labelBox);
    QLineEdit* edit = addEdit(layout.editBox, true);
    edits_.emplace_back(edit, layout.field);
    edit->setText(toQString(dialog_.fieldText(layout.field)));
    const CvField field = layout.field;
    connect(edit, &QLineEdit::textChanged, this, [this, edit, field](const QString& text) {
        if (dialog_.setFieldText(field, toUtf8(text)))
            edit->setText(toQString(dialog_.fieldText(field)));
        ok_->setEnabled(dialog_.okEnabled());
    });
}

void CrossValidationDialogWindow::followLogic()
{
    for (const auto& [edit, field] : edits_)
        edit->setEnabled(dialog_.fieldEnabled(field));
    ok_->setEnabled(dialog_.okEnabled());
}

} // namespace kolven
