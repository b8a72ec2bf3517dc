#include "modal_script.h"

#include <dlgs.h>

namespace kolven::test {

namespace {

ModalScript* running = nullptr;

BOOL CALLBACK findDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND activeDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND child(HWND dialog, const wchar_t* windowClass, int index)
{
    HWND found = nullptr;
    for (int i = 0; i <= index; ++i) {
        found = FindWindowExW(dialog, found, windowClass, nullptr);
        if (!found) {
            return nullptr;
        }
    }
    return found;
}

HWND button(HWND dialog, const std::wstring& text)
{
    return FindWindowExW(dialog, nullptr, L"BUTTON", text.c_str());
}

std::wstring textOf(HWND window)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

void type(HWND edit, const std::wstring& text)
{
    SetWindowTextW(edit, text.c_str());
}

void click(HWND button)
{
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

ModalScript::ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {}

ModalScript::~ModalScript()
{
    if (timer_) {
        KillTimer(nullptr, timer_);
    }
    running = nullptr;
}

bool ModalScript::run(const std::function<void()>& command)
{
    running = this;
    timer_ = SetTimer(nullptr, 0, 60, &ModalScript::tick);
    command();
    KillTimer(nullptr, timer_);
    timer_ = 0;
    running = nullptr;
    return next_ == steps_.size() && forced_ == 0;
}

void CALLBACK ModalScript::tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (running) {
        running->poll();
    }
}

void ModalScript::poll()
{
    HWND dialog = activeDialog();
    if (!dialog) {
        return;
    }
    if (next_ < steps_.size()) {
        steps_[next_++](dialog);
        return;
    }
    ++forced_;
    EndDialog(dialog, 0);
}

ModalScript::Step fillAndClick(std::vector<std::wstring> texts, const std::wstring& buttonText)
{
    return [texts, buttonText](HWND dialog) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            type(child(dialog, L"EDIT", int(i)), texts[i]);
        }
        click(button(dialog, buttonText));
    };
}

ModalScript::Step answer(int buttonId, std::wstring* text)
{
    return [buttonId, text](HWND box) {
        if (text) {
            // The message box's text is its static control with the text id.
            *text = textOf(GetDlgItem(box, 0xFFFF));
        }
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    };
}

ModalScript::Step chooseFile(const std::wstring& path)
{
    return [path](HWND dialog) {
        // The file name box of the common dialog, then its OK.
        HWND name = GetDlgItem(dialog, cmb13);
        SetWindowTextW(name ? name : GetDlgItem(dialog, edt1), path.c_str());
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    };
}

} // namespace kolven::test
