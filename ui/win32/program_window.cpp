#include "program_window.h"

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
    window_.showMaximized();
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
