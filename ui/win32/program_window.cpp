#include "program_window.h"

namespace kolven {

void showProgramWindow(MainWindow& window)
{
    window.showMaximized();
}

int runMessageLoop(MainWindow& window)
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.translateAccelerator(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

} // namespace kolven
