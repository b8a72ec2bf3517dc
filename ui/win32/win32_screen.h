#pragma once

#include "window_screen.h"

namespace kolven {

// The application's screen on the Win32 main window, with the common file dialogs.
using Win32Screen = WindowScreen;

} // namespace kolven
