#pragma once

#include "contract.h"
#include "modal_script.h"
#include "program_window.h"
#include "test_files.h"

#include <filesystem>
#include <string>

namespace kolven::test {

// The whole program in its window, as the entry point builds it, over a fresh state: the Win32
// side of the adapter contract, and what the Win32 window's own tests look into.
class Win32Program : public Program {
public:
    Win32Program() { program.show(); }

    HWND window() { return program.window().handle(); }
    bool greyed(CommandId id) { return GetMenuState(program.window().menu(), UINT(id), MF_BYCOMMAND) & MF_GRAYED; }
    void choose(CommandId id) { SendMessageW(window(), WM_COMMAND, MAKEWPARAM(UINT(id), 0), 0); }
    // Runs a menu command whose dialogs the steps answer; true when they all ran as expected.
    bool choose(CommandId id, std::vector<ModalScript::Step> steps)
    {
        return ModalScript(std::move(steps)).run([&] { choose(id); });
    }
    // Runs the window's message loop, as the program does, until done() or a minute has passed.
    void settle(const std::function<bool()>& done, DWORD milliseconds = 60000);
    bool computing() { return program.application().computing(); }
    // The file dialogs want a Windows name.
    static std::wstring windowsName(const std::filesystem::path& path) { return std::filesystem::absolute(path).wstring(); }

    AppState& state() override { return state_; }
    Application& application() override { return program.application(); }
    bool choose(CommandId id, std::vector<Step> steps, bool waitForRun) override;
    bool close(std::vector<Step> steps) override;
    bool isOpen() override { return window() && IsWindow(window()); }
    bool enabled(CommandId id) override { return !greyed(id); }
    void press(Key key) override;
    void pressDalej() override;
    bool dalejShown() override { return IsWindowVisible(program.window().nextButton()); }
    bool dalejEnabled() override { return IsWindowEnabled(program.window().nextButton()); }
    std::vector<std::string> shownLines() override;
    void waitFor(const std::function<bool()>& done, int milliseconds) override { settle(done, DWORD(milliseconds)); }

    testing::TempFolder folder;
    AppState state_;
    RandomSystemGenerator generator;
    ProgramWindow program{state_, generator};
};

} // namespace kolven::test
