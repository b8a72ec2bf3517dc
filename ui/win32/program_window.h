#pragma once

#include "application.h"
#include "main_window.h"
#include "win32_screen.h"

namespace kolven {

// The running program on screen: the main window, the screen over it, and the application
// logic wired to the window's menu, "DALEJ" button and close box.
class ProgramWindow {
public:
    // Builds the window and the application over state and generator, both owned by the caller,
    // which must outlive this object.
    ProgramWindow(AppState& state, RandomSystemGenerator& generator);

    // Puts the menu in its start state and shows the window maximized.
    void show();

    MainWindow& window() { return window_; }
    Application& application() { return application_; }

private:
    MainWindow window_;
    Win32Screen screen_;
    Application application_;
};

// Runs the thread's message loop until the quit message, with the window's accelerator keys;
// returns the quit message's code.
int runMessageLoop(MainWindow& window);

} // namespace kolven
