#include "program_fixture.h"

#include "grid_editor_window.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace kolven::test {

namespace {

QMessageBox::StandardButton standardButton(Answer which)
{
    return which == Answer::Yes ? QMessageBox::Yes : which == Answer::No ? QMessageBox::No : QMessageBox::Ok;
}

// The OK button of one of the program's dialogs.
QPushButton* okButton(const QWidget* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("OK"))
            return button;
    return nullptr;
}

// Kept alive by the presses it schedules, which run after the step that made them.
class QtDialog : public Dialog, public std::enable_shared_from_this<QtDialog> {
public:
    explicit QtDialog(QWidget* widget) : widget_(widget) {}

    std::string title() override { return widget_->windowTitle().toStdString(); }
    std::string message() override { return box()->text().toStdString(); }
    std::string buttonText(Answer which) override { return box()->button(standardButton(which))->text().toStdString(); }
    void answer(Answer which) override { test::answer(standardButton(which))(widget_); }
    void chooseFile(const std::filesystem::path& file) override
    {
        test::chooseFile(QString::fromStdString(file.string()))(widget_);
    }
    std::string text(int edit) override { return this->edit(edit)->text().toStdString(); }
    void type(int edit, const std::string& text) override { this->edit(edit)->setText(QString::fromStdString(text)); }
    bool enabled(int edit) override { return this->edit(edit)->isEnabled(); }
    std::string label(int index) override { return widget_->findChildren<QLabel*>()[index]->text().toStdString(); }
    void chooseItem(int list, int index) override
    {
        widget_->findChildren<QComboBox*>().at(list)->setCurrentIndex(index);
    }
    bool okEnabled() override { return okButton(widget_)->isEnabled(); }
    std::string okReason() override { return okButton(widget_)->toolTip().toStdString(); }
    void press(const std::string& button, std::function<void()> then) override
    {
        for (QPushButton* candidate : widget_->findChildren<QPushButton*>()) {
            if (candidate->text() == QString::fromStdString(button)) {
                // From the event loop, so that a message box the press raises meets the next step.
                QTimer::singleShot(0, candidate, [candidate, then, self = shared_from_this()] {
                    candidate->click();
                    if (then)
                        then();
                });
                return;
            }
        }
    }
    void wheelDown(int edit, int notches) override
    {
        QLineEdit* field = this->edit(edit);
        QWheelEvent wheel(QPointF(5, 5), field->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120 * notches),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(field, &wheel);
    }
    int rowsScrolled() override { return static_cast<GridEditorWindow*>(widget_.data())->verticalBar()->value(); }
    bool focused(int edit) override { return widget_->focusWidget() == this->edit(edit); }
    void escape(int edit) override { QTest::keyClick(this->edit(edit), Qt::Key_Escape); }

private:
    QMessageBox* box() { return static_cast<QMessageBox*>(widget_.data()); }
    QLineEdit* edit(int index) { return widget_->findChildren<QLineEdit*>()[index]; }

    QPointer<QWidget> widget_;
};

std::vector<ModalScript::Step> qtSteps(std::vector<Step> steps)
{
    std::vector<ModalScript::Step> played;
    for (Step& step : steps)
        played.emplace_back([step = std::move(step)](QWidget* widget) { step(*std::make_shared<QtDialog>(widget)); });
    return played;
}

} // namespace

QtProgram::QtProgram() : program_(std::make_unique<ProgramWindow>(state_, generator_))
{
    program_->show();
    QApplication::processEvents();
}

bool QtProgram::choose(CommandId id, std::vector<Step> steps, bool waitForRun)
{
    return ModalScript(qtSteps(std::move(steps))).run([&] {
        window().action(id)->trigger();
        if (waitForRun)
            settle();
    });
}

bool QtProgram::close(std::vector<Step> steps)
{
    return ModalScript(qtSteps(std::move(steps))).run([&] { window().close(); });
}

void QtProgram::press(Key key)
{
    window().activateWindow(); // not given back by the offscreen platform after a dialog
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), key == Key::Space ? Qt::Key_Space : key == Key::PageDown ? Qt::Key_PageDown : Qt::Key_Escape);
}

void QtProgram::pressDalej()
{
    nextButton().click();
    QApplication::processEvents();
}

std::vector<std::string> QtProgram::shownLines()
{
    std::vector<std::string> lines;
    for (const TextView::Line& line : window().textView().lines())
        lines.push_back(line.text.toStdString());
    return lines;
}

void QtProgram::waitFor(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QTest::qWait(50);
}

std::unique_ptr<Program> openProgram()
{
    return std::make_unique<QtProgram>();
}

} // namespace kolven::test
