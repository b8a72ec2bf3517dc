#pragma once

#include <windows.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <vector>

namespace kolven::test {

// A dialog's child of a window class ("BUTTON", "STATIC", "EDIT"), the index-th in creation order.
inline HWND child(HWND dialog, const wchar_t* windowClass, int index)
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

// A dialog's button by its text.
inline HWND button(HWND dialog, const std::wstring& text)
{
    return FindWindowExW(dialog, nullptr, L"BUTTON", text.c_str());
}

inline std::wstring textOf(HWND window)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

// Sets an edit's text as typing would (the dialog is told of the change).
inline void type(HWND edit, const std::wstring& text)
{
    SetWindowTextW(edit, text.c_str());
}

// Clicks a button: the dialog gets its BN_CLICKED.
inline void click(HWND button)
{
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// The active dialog of this thread: visible, enabled, of the standard dialog class; null if none.
inline HWND activeDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(window) && IsWindowEnabled(window)) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Plays the part of the user in the dialogs a command opens (the program's own dialogs, file
// dialogs and message boxes, all of the standard dialog class): a thread timer runs one step per
// tick on the dialog that is then active. A dialog still open when no step is left is ended by
// force, so a test fails instead of hanging. A step may check what it sees with EXPECT_*; fatal
// assertions belong after the command has returned, as a step cut short leaves its dialog open.
class ModalScript {
public:
    using Step = std::function<void(HWND dialog)>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {}
    ~ModalScript()
    {
        if (timer_) {
            KillTimer(nullptr, timer_);
        }
        running = nullptr;
    }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Runs command (which opens the dialogs); true when every step ran and nothing was forced.
    bool run(const std::function<void()>& command)
    {
        running = this;
        timer_ = SetTimer(nullptr, 0, 60, &ModalScript::tick);
        command();
        KillTimer(nullptr, timer_);
        timer_ = 0;
        running = nullptr;
        return next_ == steps_.size() && forced_ == 0;
    }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (running) {
            running->poll();
        }
    }
    void poll()
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

    // The script whose timer is running: the timer callback has no other way to find it.
    static inline ModalScript* running = nullptr;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int forced_ = 0;
    UINT_PTR timer_ = 0;
};

// Chooses a file in the open or save dialog: its file name box, then its OK.
inline ModalScript::Step chooseFile(const std::wstring& path)
{
    return [path](HWND dialog) {
        HWND name = GetDlgItem(dialog, cmb13);
        SetWindowTextW(name ? name : GetDlgItem(dialog, edt1), path.c_str());
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    };
}

} // namespace kolven::test
