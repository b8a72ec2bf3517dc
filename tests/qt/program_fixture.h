#pragma once

#include "app_state.h"
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

// The OK button of one of the program's dialogs.
inline QPushButton* okButton(const QDialog* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("OK"))
            return button;
    return nullptr;
}

// The whole program in its window, as the entry point builds it, over a fresh state.
class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() : program_(std::make_unique<ProgramWindow>(state_, generator_))
    {
        program_->show();
        QApplication::processEvents();
    }

    MainWindow& window() { return program_->window(); }
    QPushButton& nextButton() { return window().nextButton(); }
    bool enabled(CommandId id) { return window().action(id)->isEnabled(); }

    // Chooses a menu entry as the user would, with the given dialog steps; true when every step
    // was played and no other dialog appeared.
    bool choose(CommandId id, std::vector<ModalScript::Step> steps = {})
    {
        return ModalScript(std::move(steps)).run([&] {
            window().action(id)->trigger();
            settle();
        });
    }

    // Lets the event loop run until a computation the command started has delivered its outcome.
    void settle()
    {
        while (program_->application().computing())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    static QString path(const std::filesystem::path& file) { return QString::fromStdString(file.string()); }
    static QString dataFile(const char* name) { return path(testing::dataFile(name)); }

    // The texts the window shows now, top to bottom.
    std::vector<std::string> shownLines()
    {
        std::vector<std::string> lines;
        for (const TextView::Line& line : window().textView().lines())
            lines.push_back(line.text.toStdString());
        return lines;
    }

    testing::TempFolder temp_;
    AppState state_;
    RandomSystemGenerator generator_;
    std::unique_ptr<ProgramWindow> program_;
};

} // namespace kolven::test
