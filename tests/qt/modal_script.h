#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

namespace kolven::test {

// Plays the part of the user in the modal dialogs a command opens: each step acts on the next
// modal widget that appears. A modal widget that no step expects, or one still open long after
// its step, is closed by force, so a test fails instead of hanging. Assert only after the command
// has returned.
class ModalScript : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalScript(std::vector<Step> steps);

    // Runs command (which opens the modal dialogs); returns true when every step ran and nothing
    // had to be closed by force.
    bool run(const std::function<void()>& command);

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

// Steps: pick a file in a file dialog; answer a message box (its text recorded);
// act on a dialog (look at it, type into it), then press one of its buttons.
ModalScript::Step chooseFile(const QString& path);
ModalScript::Step answer(QMessageBox::StandardButton button, QString* text = nullptr);
ModalScript::Step inspectAndPress(std::function<void(QDialog*)> inspect, const QString& button);

} // namespace kolven::test
