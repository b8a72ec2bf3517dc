#pragma once

#include "main_window.h"
#include "program_window_base.h"
#include "win32_screen.h"

namespace kolven {

// Shows the window maximized; the window itself keeps it so.
void showProgramWindow(MainWindow& window);

using ProgramWindow = ProgramWindowBase<MainWindow, WindowScreen>;

// Runs the thread's message loop until the quit message, with the window's accelerator keys;
// returns the quit message's code.
int runMessageLoop(MainWindow& window);

} // namespace kolven
