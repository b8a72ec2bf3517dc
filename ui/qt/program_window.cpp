#include "program_window.h"

#include <QScreen>

namespace kolven {

ProgramWindow::ProgramWindow(AppState& state, RandomSystemGenerator& generator)
    : screen_(window_), application_(state, screen_, generator)
{
    window_.onCommand = [this](CommandId id) { application_.runCommand(id); };
    window_.onNextPage = [this] { application_.nextPageClicked(); };
    window_.confirmClose = [this] { return application_.confirmClose(); };
}

void ProgramWindow::show()
{
    application_.start();
    // Without a window manager maximizing does nothing, so the window also takes the whole
    // screen itself.
    window_.setGeometry(window_.screen()->availableGeometry());
    window_.showMaximized();
    window_.keepMaximized();
}

} // namespace kolven
