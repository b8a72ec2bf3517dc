#include "dialog_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kolven {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string toUtf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

namespace {

QRect pixelRect(const ControlBox& box)
{
    return QRect(box.x, box.y, box.width, box.height);
}

} // namespace

DialogWindow::DialogWindow(const DialogFrame& frame, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(toQString(frame.caption));
    setModal(true);
    setFixedSize(frame.width * kPixelsPerUnit, frame.height * kPixelsPerUnit);
    // The frame's position is counted from the owner's top-left corner.
    const QPoint origin = owner ? owner->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
    move(origin + QPoint(frame.x * kPixelsPerUnit, frame.y * kPixelsPerUnit));
}

void DialogWindow::reject() {}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

QLabel* DialogWindow::addLabel(std::string_view text, const ControlBox& box)
{
    auto* label = new QLabel(toQString(text), this);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(pixelRect(box));
    return label;
}

QLineEdit* DialogWindow::addEdit(const ControlBox& box, bool digitsOnly)
{
    auto* edit = new QLineEdit(this);
    edit->setGeometry(pixelRect(box));
    if (digitsOnly) {
        static const QRegularExpression digits(QStringLiteral("[0-9]*"));
        edit->setValidator(new QRegularExpressionValidator(digits, edit));
    }
    return edit;
}

QPushButton* DialogWindow::addButton(std::string_view text, const ControlBox& box)
{
    auto* button = new QPushButton(toQString(text), this);
    button->setGeometry(pixelRect(box));
    // Not a default button: Enter must not press it.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace kolven
