#include "preparation_dialog_window.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace kolven {

PreparationDialogWindow::PreparationDialogWindow(PreparationDialog& dialog, QWidget* owner)
    : DialogWindow(dialog.frame(), owner), dialog_(dialog)
{
    for (const PreparationFieldLayout& field : dialog_.fields()) {
        addLabel(field.label, field.labelBox);
        if (field.choice) {
            auto* methods = new QComboBox(this);
            methods->setObjectName(QStringLiteral("method"));
            methods->setGeometry(field.box.x, field.box.y, field.box.width, field.box.height);
            for (std::string_view choice : dialog_.choices())
                methods->addItem(toQString(choice));
            methods->setCurrentIndex(int(dialog_.choice()));
            connect(methods, &QComboBox::currentIndexChanged, this,
                    [this](int index) { dialog_.setChoice(std::size_t(std::max(index, 0))); });
            continue;
        }
        QLineEdit* edit = addEdit(field.box, field.digitsOnly);
        // A dialog opened again after a refusal shows what was typed before.
        edit->setText(toQString(dialog_.fieldText()));
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { dialog_.setFieldText(toUtf8(text)); });
    }
    addOkAndCancel(dialog_);
}

} // namespace kolven
