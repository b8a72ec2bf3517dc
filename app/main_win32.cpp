#include "app_state.h"
#include "generator.h"
#include "program_window.h"

#include <windows.h>

// The desktop program on Windows: one maximized window over the application state, until it is
// closed. It takes no command line.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    kolven::AppState state;
    kolven::RandomSystemGenerator generator;
    kolven::ProgramWindow program(state, generator);
    program.window().onDestroyed = [] { PostQuitMessage(0); };
    program.show();
    return kolven::runMessageLoop(program.window());
}
