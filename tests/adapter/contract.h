#pragma once

// What both window adapters must show, driven through one small interface: each adapter's test
// program implements Program and Dialog over its own windows and defines openProgram, and the
// tests of contract_test.cpp run against it.

#include "app_state.h"
#include "application.h"
#include "menu.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kolven::test {

enum class Answer { Ok, Yes, No };
enum class Key { Space, PageDown, Escape };

// One window the program opened modally (one of its dialogs, a message box or a file dialog), as
// a step of a test sees it. Edits (a grid's fields row by row) and labels count in the order the
// dialog made them.
class Dialog {
public:
    virtual ~Dialog() = default;
    virtual std::string title() = 0;
    virtual std::string message() = 0;
    virtual std::string buttonText(Answer which) = 0;
    virtual void answer(Answer which) = 0;
    virtual void chooseFile(const std::filesystem::path& file) = 0;
    virtual std::string text(int edit) = 0;
    virtual void type(int edit, const std::string& text) = 0;
    virtual bool enabled(int edit) = 0;
    virtual std::string label(int index) = 0;
    // Chooses an entry of one of the dialog's lists, counted in the order the dialog made them.
    virtual void chooseItem(int list, int index) = 0;
    virtual bool okEnabled() = 0;
    // The tooltip of OK, where a disabled OK says why.
    virtual std::string okReason() = 0;
    // Presses the button of that text; then, when given, runs once the press is handled (a
    // message box it raised answered by the next step) while the dialog may still be open.
    virtual void press(const std::string& button, std::function<void()> then = {}) = 0;
    // A grid's: the wheel turned towards the user over an edit, the rows scrolled past, the focus.
    virtual void wheelDown(int edit, int notches) = 0;
    virtual int rowsScrolled() = 0;
    virtual bool focused(int edit) = 0;
    virtual void escape(int edit) = 0;
};

using Step = std::function<void(Dialog&)>;

// The whole program in its window, as the entry point builds it, over a fresh state.
class Program {
public:
    virtual ~Program() = default;
    virtual AppState& state() = 0;
    virtual Application& application() = 0;
    // Chooses a menu entry as the user would, the steps answering the dialogs it opens in order;
    // true when every step ran and no other dialog showed. Unless told not to, it returns only
    // once a computation the entry started has ended.
    virtual bool choose(CommandId id, std::vector<Step> steps = {}, bool waitForRun = true) = 0;
    // Asks the window to close, as its close box does.
    virtual bool close(std::vector<Step> steps) = 0;
    virtual bool isOpen() = 0;
    virtual bool enabled(CommandId id) = 0;
    // The key is handled by the window; what that posts to its loop is not yet.
    virtual void press(Key key) = 0;
    virtual void pressDalej() = 0;
    virtual bool dalejShown() = 0;
    virtual bool dalejEnabled() = 0;
    // The texts the window shows now, top to bottom.
    virtual std::vector<std::string> shownLines() = 0;
    // Lets the window's loop run until done() or the time has passed.
    virtual void waitFor(const std::function<bool()>& done, int milliseconds) = 0;
};

// Made by each adapter's test program.
std::unique_ptr<Program> openProgram();

} // namespace kolven::test
