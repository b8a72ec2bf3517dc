#include "win32_program.h"

#include "wide_text.h"

#include <commctrl.h>

namespace kolven::test {

namespace {

int buttonId(Answer which)
{
    return which == Answer::Yes ? IDYES : which == Answer::No ? IDNO : IDOK;
}

class Win32Dialog : public Dialog {
public:
    explicit Win32Dialog(HWND dialog) : dialog_(dialog) {}

    std::string title() override { return toUtf8(textOf(dialog_)); }
    // The message box's text is its static control with the text id.
    std::string message() override { return toUtf8(textOf(GetDlgItem(dialog_, 0xFFFF))); }
    std::string buttonText(Answer which) override { return toUtf8(textOf(GetDlgItem(dialog_, buttonId(which)))); }
    void answer(Answer which) override { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(buttonId(which), BN_CLICKED), 0); }
    void chooseFile(const std::filesystem::path& file) override
    {
        test::chooseFile(Win32Program::windowsName(file))(dialog_);
    }
    std::string text(int edit) override { return toUtf8(textOf(this->edit(edit))); }
    void type(int edit, const std::string& text) override { test::type(this->edit(edit), toWide(text)); }
    bool enabled(int edit) override { return IsWindowEnabled(this->edit(edit)); }
    std::string label(int index) override { return toUtf8(textOf(child(dialog_, L"STATIC", index))); }
    void chooseItem(int list, int index) override
    {
        HWND box = child(dialog_, L"COMBOBOX", list);
        SendMessageW(box, CB_SETCURSEL, WPARAM(index), 0);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE), LPARAM(box));
    }
    bool okEnabled() override { return IsWindowEnabled(button(dialog_, L"OK")); }
    // The text of the dialog's tooltip, which OK carries.
    std::string okReason() override
    {
        HWND tip = nullptr;
        while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) && GetWindow(tip, GW_OWNER) != dialog_) {
        }
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = dialog_;
        tool.uId = 1;
        tool.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        return toUtf8(text);
    }
    // The click returns once the dialog has handled it, message boxes it raised answered meanwhile.
    void press(const std::string& text, std::function<void()> then) override
    {
        click(button(dialog_, toWide(text)));
        if (then) {
            then();
        }
    }
    void wheelDown(int edit, int notches) override
    {
        SendMessageW(this->edit(edit), WM_MOUSEWHEEL, WPARAM(WORD(-notches * WHEEL_DELTA)) << 16, 0);
    }
    int rowsScrolled() override { return GetScrollPos(dialog_, SB_VERT); }
    bool focused(int edit) override { return GetFocus() == this->edit(edit); }
    void escape(int edit) override { PostMessageW(this->edit(edit), WM_KEYDOWN, VK_ESCAPE, 0); }

private:
    HWND edit(int index) { return child(dialog_, L"EDIT", index); }

    HWND dialog_;
};

std::vector<ModalScript::Step> win32Steps(std::vector<Step> steps)
{
    std::vector<ModalScript::Step> played;
    for (Step& step : steps) {
        played.emplace_back([step = std::move(step)](HWND dialog) {
            Win32Dialog seen(dialog);
            step(seen);
        });
    }
    return played;
}

} // namespace

void Win32Program::settle(const std::function<bool()>& done, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!program.window().translateAccelerator(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}

bool Win32Program::choose(CommandId id, std::vector<Step> steps, bool waitForRun)
{
    const bool played = choose(id, win32Steps(std::move(steps)));
    if (waitForRun) {
        settle([this] { return !computing(); });
    }
    return played;
}

bool Win32Program::close(std::vector<Step> steps)
{
    return ModalScript(win32Steps(std::move(steps))).run([&] { SendMessageW(window(), WM_CLOSE, 0, 0); });
}

// As the message loop hands the key on, without running the loop further.
void Win32Program::press(Key key)
{
    MSG message{window(), WM_KEYDOWN, WPARAM(key == Key::Space ? VK_SPACE : key == Key::PageDown ? VK_NEXT : VK_ESCAPE), 0, 0, {}};
    if (!program.window().translateAccelerator(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Program::pressDalej()
{
    click(program.window().nextButton());
}

std::vector<std::string> Win32Program::shownLines()
{
    std::vector<std::string> lines;
    for (const std::wstring& line : program.window().lineTexts()) {
        lines.push_back(toUtf8(line));
    }
    return lines;
}

std::unique_ptr<Program> openProgram()
{
    return std::make_unique<Win32Program>();
}

} // namespace kolven::test
