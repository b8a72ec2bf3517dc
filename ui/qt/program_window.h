#pragma once

#include "main_window.h"
#include "program_window_base.h"
#include "qt_screen.h"

namespace kolven {

// Shows the window maximized over the whole screen, and keeps it so.
void showProgramWindow(MainWindow& window);

using ProgramWindow = ProgramWindowBase<MainWindow, WindowScreen>;

} // namespace kolven
