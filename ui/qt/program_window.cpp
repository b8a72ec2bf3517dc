#include "program_window.h"

#include <QScreen>

namespace kolven {

void showProgramWindow(MainWindow& window)
{
    // Without a window manager maximizing does nothing, so the window also takes the whole
    // screen itself.
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    window.keepMaximized();
}

} // namespace kolven
