#pragma once

#include "app_state.h"
#include "contract.h"
#include "generator.h"
#include "menu.h"
#include "modal_script.h"
#include "program_window.h"
#include "test_files.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kolven::test {

// The whole program in its window, as the entry point builds it, over a fresh state: the Qt side
// of the adapter contract, and what the Qt window's own tests look into.
class QtProgram : public Program {
public:
    QtProgram();

    MainWindow& window() { return program_->window(); }
    QPushButton& nextButton() { return window().nextButton(); }
    // Chooses a menu entry as the user would, with the given dialog steps; true when every step
    // was played and no other dialog appeared.
    bool choose(CommandId id, std::vector<ModalScript::Step> steps = {})
    {
        return ModalScript(std::move(steps)).run([&] {
            window().action(id)->trigger();
            settle();
        });
    }
    static QString path(const std::filesystem::path& file) { return QString::fromStdString(file.string()); }
    static QString dataFile(const char* name) { return path(testing::dataFile(name)); }

    AppState& state() override { return state_; }
    Application& application() override { return program_->application(); }
    bool choose(CommandId id, std::vector<Step> steps, bool waitForRun) override;
    bool close(std::vector<Step> steps) override;
    bool isOpen() override { return window().isVisible(); }
    bool enabled(CommandId id) override { return window().action(id)->isEnabled(); }
    void press(Key key) override;
    void pressDalej() override;
    bool dalejShown() override { return nextButton().isVisible(); }
    bool dalejEnabled() override { return nextButton().isEnabled(); }
    std::vector<std::string> shownLines() override;
    void waitFor(const std::function<bool()>& done, int milliseconds) override;

    // Lets the event loop run until a computation the command started has delivered its outcome.
    void settle()
    {
        while (program_->application().computing())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    testing::TempFolder temp_;
    AppState state_;
    RandomSystemGenerator generator_;
    std::unique_ptr<ProgramWindow> program_;
};

class ProgramTest : public ::testing::Test, public QtProgram {};

} // namespace kolven::test
