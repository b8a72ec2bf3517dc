#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kolven::test {

// Plays the part of the user in the dialogs a command opens (the program's own dialogs, file
// dialogs and message boxes, all of the standard dialog class): a thread timer runs one step per
// tick on the dialog that is then active. A dialog still open when no step is left is ended by
// force, so a test fails instead of hanging. Assert only after the command has returned.
class ModalScript {
public:
    using Step = std::function<void(HWND dialog)>;

    explicit ModalScript(std::vector<Step> steps);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Runs command (which opens the dialogs); true when every step ran and nothing was forced.
    bool run(const std::function<void()>& command);

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void poll();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int forced_ = 0;
    UINT_PTR timer_ = 0;
};

// The active dialog of this thread: visible, enabled, of the standard dialog class; null if none.
HWND activeDialog();
// A dialog's child of a window class ("BUTTON", "STATIC", "EDIT"), the index-th in creation order.
HWND child(HWND dialog, const wchar_t* windowClass, int index);
// A dialog's button by its text.
HWND button(HWND dialog, const std::wstring& text);
std::wstring textOf(HWND window);
// Sets an edit's text as typing would (the dialog is told of the change).
void type(HWND edit, const std::wstring& text);
// Clicks a button: the dialog gets its BN_CLICKED.
void click(HWND button);

// Steps: type the texts into the dialog's edits in order, then click a button; answer a message
// box with IDYES, IDNO or IDOK, recording its text; choose a file in the open or save dialog.
ModalScript::Step fillAndClick(std::vector<std::wstring> texts, const std::wstring& buttonText);
ModalScript::Step answer(int button, std::wstring* text = nullptr);
ModalScript::Step chooseFile(const std::wstring& path);

} // namespace kolven::test
