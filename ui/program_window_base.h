#pragma once

#include "application.h"

namespace kolven {

// The running program on screen, whatever the platform: the main window, the screen over it, and
// the application logic wired to the window's menu, "DALEJ" button and close box. Each adapter
// names it ProgramWindow with its own window and screen, and says how its window opens
// (showProgramWindow).
template <typename Window, typename PlatformScreen>
class ProgramWindowBase {
public:
    // Builds the window and the application over state and generator, both owned by the caller,
    // which must outlive this object.
    ProgramWindowBase(AppState& state, RandomSystemGenerator& generator)
        : screen_(window_), application_(state, screen_, generator)
    {
        window_.onCommand = [this](CommandId id) { application_.runCommand(id); };
        window_.onNextPage = [this] { application_.nextPageClicked(); };
        window_.onExportShown = [this] { application_.exportShownResults(); };
        window_.confirmClose = [this] { return application_.confirmClose(); };
    }
    ProgramWindowBase(const ProgramWindowBase&) = delete;
    ProgramWindowBase& operator=(const ProgramWindowBase&) = delete;

    // Puts the menu in its start state and shows the window maximized.
    void show()
    {
        application_.start();
        showProgramWindow(window_);
    }

    Window& window() { return window_; }
    Application& application() { return application_; }

private:
    Window window_;
    PlatformScreen screen_;
    Application application_;
};

} // namespace kolven
