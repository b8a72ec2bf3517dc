#include "modal_script.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kolven::test {

namespace {

constexpr int kPollMilliseconds = 10;
// How many polls a modal widget may stay open after its step before it is closed by force.
constexpr int kPatiencePolls = 500;

// Clicked from the event loop, so a step never runs inside the dialog's own handler.
void clickLater(QAbstractButton* button)
{
    if (button)
        QTimer::singleShot(0, button, [button] { button->click(); });
}

} // namespace

ModalScript::ModalScript(std::vector<Step> steps) : steps_(std::move(steps))
{
    timer_.setInterval(kPollMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::poll);
}

bool ModalScript::run(const std::function<void()>& command)
{
    timer_.start();
    command();
    timer_.stop();
    return next_ == steps_.size() && forced_ == 0;
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    // A dialog that a step already answered may show again for a moment while it finishes (a
    // file dialog after its overwrite question); it is waited for, not taken for a new one.
    if (std::find(handled_.begin(), handled_.end(), modal) != handled_.end()) {
        idlePolls_ = modal == current_ ? idlePolls_ + 1 : 1;
        current_ = modal;
        if (idlePolls_ > kPatiencePolls)
            closeByForce(modal);
        return;
    }
    current_ = modal;
    idlePolls_ = 0;
    handled_.emplace_back(modal);
    if (next_ < steps_.size())
        steps_[next_++](modal);
    else
        closeByForce(modal);
}

void ModalScript::closeByForce(QWidget* widget)
{
    ++forced_;
    if (auto* dialog = qobject_cast<QDialog*>(widget))
        dialog->done(QDialog::Rejected);
    else
        widget->close();
}

ModalScript::Step chooseFile(const QString& path)
{
    return [path](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (!dialog)
            return;
        // Typed into the name field, as a user would: selectFile may wait for the directory to load.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        else
            dialog->selectFile(path);
        // accept() is protected in QFileDialog; it is still a slot.
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    };
}

ModalScript::Step answer(QMessageBox::StandardButton button, QString* text)
{
    return [=](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box)
            return;
        if (text)
            *text = box->text();
        clickLater(box->button(button));
    };
}

ModalScript::Step inspectAndPress(std::function<void(QDialog*)> inspect, const QString& button)
{
    return [=](QWidget* widget) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            inspect(dialog);
        for (QPushButton* candidate : widget->findChildren<QPushButton*>())
            if (candidate->text() == button)
                return clickLater(candidate);
    };
}

} // namespace kolven::test
