#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QDialog;

namespace kolven::test {

// Plays the part of the user in the modal dialogs a command opens: each step acts on the next
// modal widget that appears. A modal widget that no step expects, or one still open long after
// its step, is closed by force and counted, so a test fails instead of hanging. Assert only after
// the command has returned.
class ModalScript : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalScript(std::vector<Step> steps);

    // Runs command (which opens the modal dialogs) and returns when it has returned.
    void run(const std::function<void()>& command);

    // True when every step ran and nothing had to be closed by force.
    bool playedCleanly() const { return next_ == steps_.size() && forced_ == 0; }
    int stepsRun() const { return int(next_); }

private:
    void poll();
    void closeByForce(QWidget* widget);

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int forced_ = 0;
    int idlePolls_ = 0;
    QPointer<QWidget> current_;
    std::vector<QPointer<QWidget>> handled_;
    QTimer timer_;
};

// Steps: pick a file in a file dialog; answer a message box (its text and caption recorded);
// type into a dialog's edits in order and press one of its buttons; press a button only.
ModalScript::Step chooseFile(const QString& path);
ModalScript::Step answer(QMessageBox::StandardButton button, QString* text = nullptr, QString* caption = nullptr);
ModalScript::Step fillAndPress(const std::vector<QString>& texts, const QString& button);
ModalScript::Step press(const QString& button);
// A step that only looks at the dialog, then presses a button.
ModalScript::Step inspectAndPress(std::function<void(QDialog*)> inspect, const QString& button);

} // namespace kolven::test
