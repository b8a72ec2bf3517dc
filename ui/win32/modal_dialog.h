#pragma once

#include "dialog_layout.h"

#include <windows.h>

#include <functional>
#include <span>
#include <string_view>

namespace kolven {

// A modal dialog built from a template made in memory: a caption without a close box (no system
// menu), the system font, a frame in dialog units, and controls created when it opens, in pixels
// of its client area. Only its own OK and ANULUJ end it: Enter and Escape do nothing.
class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog over owner until OK or ANULUJ ends it; true for OK.
    bool run(HWND owner);

protected:
    // extraStyle adds the scroll bars of the table editor.
    explicit ModalDialog(const DialogFrame& frame, DWORD extraStyle = 0) : frame_(frame), extraStyle_(extraStyle) {}

    // Creates the controls (the dialog is opening).
    virtual void createControls() = 0;
    // An edit's text changed (EN_CHANGE).
    virtual void editChanged(HWND) {}
    // A drop-down list's choice changed (CBN_SELCHANGE).
    virtual void choiceChanged(HWND) {}
    // A request of the dialog's own scroll bar (SB_HORZ or SB_VERT) with the bar's track position.
    virtual void scrolled(int, WORD, int) {}
    // The mouse wheel turned by notches (forward positive); sideways when columns is set.
    virtual void wheeled(int, bool) {}
    // OK was clicked and the logic refused it; the dialog stays open.
    virtual void okRefused() {}
    // Whether Escape ends the dialog as ANULUJ does (otherwise it does nothing).
    virtual bool closesOnEscape() const { return false; }

    HWND dialog() const { return dialog_; }

    // Controls, in pixels: a label, an edit (WS_EX_CLIENTEDGE, the stock ANSI_VAR_FONT), a push
    // button. style adds to WS_CHILD | WS_VISIBLE.
    HWND addLabel(std::string_view text, const ControlBox& box);
    HWND addEdit(const ControlBox& box, DWORD style);
    HWND addButton(std::string_view text, const ControlBox& box, DWORD style);
    // A drop-down list of choices (no typing), the edits' font, showing choices[chosen]; box is
    // its closed size.
    HWND addChoiceList(const ControlBox& box, std::span<const std::string_view> choices, std::size_t chosen);

    // Adds OK and ANULUJ of a dialog's logic: clicking OK tells the logic, and ends the dialog
    // once the logic accepted; ANULUJ cancels the logic and ends it. Returns OK.
    template <typename Logic>
    HWND addOkAndCancel(Logic& logic, DWORD okStyle, DWORD cancelStyle)
    {
        ok_ = addButton(kOkText, logic.okBox(), okStyle);
        cancel_ = addButton(kCancelText, logic.cancelBox(), cancelStyle);
        onOk_ = [&logic] {
            logic.accept();
            return logic.accepted();
        };
        onCancel_ = [&logic] { logic.cancel(); };
        return ok_;
    }

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR command(WORD code, HWND control);
    HWND addControl(const wchar_t* windowClass, std::string_view text, DWORD style, DWORD extendedStyle,
                    const ControlBox& box);

    DialogFrame frame_;
    DWORD extraStyle_;
    HWND dialog_ = nullptr;
    HWND ok_ = nullptr;
    HWND cancel_ = nullptr;
    std::function<bool()> onOk_;
    std::function<void()> onCancel_;
    // Control identifiers start above IDOK and IDCANCEL, which Enter and Escape send.
    int nextId_ = 100;
    // Wheel turns short of a notch, added up.
    int wheelRest_ = 0;
};

} // namespace kolven
