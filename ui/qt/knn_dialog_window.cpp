#include "knn_dialog_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kolven {

KnnDialogWindow::KnnDialogWindow(KnnDialog& dialog, QWidget* owner)
    : DialogWindow(dialog.frame(), owner), dialog_(dialog)
{
    addLabel(kKnnFieldLabel, dialog_.labelBox());
    QLineEdit* edit = addEdit(dialog_.editBox(), true);
    addLabel(kKnnNormalizationLabel, dialog_.normalizationLabelBox());
    auto* normalizations = new QComboBox(this);
    normalizations->setObjectName(QStringLiteral("normalization"));
    const ControlBox box = dialog_.normalizationBox();
    normalizations->setGeometry(box.x, box.y, box.width, box.height);
    for (std::string_view choice : kNormalizationChoices)
        normalizations->addItem(toQString(choice));
    normalizations->setCurrentIndex(int(dialog_.normalizationIndex()));
    connect(normalizations, &QComboBox::currentIndexChanged, this,
            [this](int index) { dialog_.setNormalization(std::size_t(std::max(index, 0))); });
    ok_ = addOkAndCancel(dialog_).first;
    ok_->setEnabled(dialog_.okEnabled());

    connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
        if (dialog_.setFieldText(toUtf8(text)))
            edit->setText(toQString(dialog_.fieldText()));
        ok_->setEnabled(dialog_.okEnabled());
    });
}

} // namespace kolven
