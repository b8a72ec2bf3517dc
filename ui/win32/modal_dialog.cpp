#include "modal_dialog.h"

#include "wide_text.h"

#include <cstring>
#include <vector>

namespace kolven {

namespace {

// The caption of a dialog template holds at most this many UTF-16 units with its terminator.
constexpr std::size_t kCaptionUnits = 50;

// The template: the header, no menu, the standard dialog class, the caption; no items (the
// controls are created when the dialog opens). WORDs from an allocation aligned for the header.
std::vector<WORD> dialogTemplate(const DialogFrame& frame, DWORD style)
{
    DLGTEMPLATE header{};
    header.style = style;
    header.dwExtendedStyle = 0;
    header.cdit = 0;
    header.x = short(frame.x);
    header.y = short(frame.y);
    header.cx = short(frame.width);
    header.cy = short(frame.height);

    std::wstring caption = toWide(frame.caption);
    if (caption.size() >= kCaptionUnits) {
        caption.resize(kCaptionUnits - 1);
    }
    constexpr std::size_t headerWords = sizeof header / sizeof(WORD);
    std::vector<WORD> words(headerWords + 2 + caption.size() + 1, 0);
    std::memcpy(words.data(), &header, sizeof header);
    // Then the menu (0: none) and the class (0: the standard one), already zero.
    std::memcpy(words.data() + headerWords + 2, caption.data(), caption.size() * sizeof(wchar_t));
    return words;
}

} // namespace

bool ModalDialog::run(HWND owner)
{
    const std::vector<WORD> words = dialogTemplate(frame_, WS_CAPTION | DS_MODALFRAME | extraStyle_);
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                                &ModalDialog::procedure, reinterpret_cast<LPARAM>(this));
    return result == 1;
}

INT_PTR CALLBACK ModalDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        self->dialog_ = dialog;
        self->createControls();
        return TRUE;
    }
    auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (!self) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && lParam == 0 && self->closesOnEscape() && self->onCancel_) {
            self->onCancel_();
            EndDialog(dialog, 0);
            return TRUE;
        }
        return self->command(HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        // The fields pass the wheel on to the dialog; the vertical wheel turns forward as it rolls
        // away from the user, the sideways one to the right.
        const bool sideways = message == WM_MOUSEHWHEEL || (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        self->wheelRest_ += message == WM_MOUSEHWHEEL ? delta : -delta;
        const int notches = self->wheelRest_ / WHEEL_DELTA;
        self->wheelRest_ %= WHEEL_DELTA;
        if (notches != 0) {
            self->wheeled(notches, sideways);
        }
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        // Only the dialog's own bars: they send no control handle.
        if (lParam != 0) {
            return FALSE;
        }
        const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(dialog, bar, &info);
        self->scrolled(bar, LOWORD(wParam), info.nTrackPos);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR ModalDialog::command(WORD code, HWND control)
{
    // Enter and Escape arrive as IDOK and IDCANCEL without a control: not handled, so nothing
    // happens.
    if (!control) {
        return FALSE;
    }
    if (code == BN_CLICKED && control == ok_) {
        if (onOk_()) {
            EndDialog(dialog_, 1);
        } else {
            okRefused();
        }
        return TRUE;
    }
    if (code == BN_CLICKED && control == cancel_) {
        onCancel_();
        EndDialog(dialog_, 0);
        return TRUE;
    }
    if (code == EN_CHANGE) {
        editChanged(control);
        return TRUE;
    }
    if (code == CBN_SELCHANGE) {
        choiceChanged(control);
        return TRUE;
    }
    return FALSE;
}

HWND ModalDialog::addControl(const wchar_t* windowClass, std::string_view text, DWORD style, DWORD extendedStyle,
                             const ControlBox& box)
{
    return CreateWindowExW(extendedStyle, windowClass, toWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, box.x,
                           box.y, box.width, box.height, dialog_, reinterpret_cast<HMENU>(INT_PTR(nextId_++)),
                           GetModuleHandleW(nullptr), nullptr);
}

HWND ModalDialog::addLabel(std::string_view text, const ControlBox& box)
{
    HWND label = addControl(L"STATIC", text, 0, 0, box);
    // A label keeps the dialog's font where its text fits its box, as the system font does on
    // Windows. Where that font is wider (under Wine) the label takes the edits' narrower font
    // rather than wrap its text and hide the words that wrapped.
    const std::wstring wide = toWide(text);
    HDC context = GetDC(label);
    SIZE size{};
    GetTextExtentPoint32W(context, wide.c_str(), int(wide.size()), &size);
    ReleaseDC(label, context);
    if (size.cx > box.width) {
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), FALSE);
    }
    return label;
}

HWND ModalDialog::addEdit(const ControlBox& box, DWORD style)
{
    HWND edit = addControl(L"EDIT", "", style, WS_EX_CLIENTEDGE, box);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), FALSE);
    return edit;
}

HWND ModalDialog::addButton(std::string_view text, const ControlBox& box, DWORD style)
{
    return addControl(L"BUTTON", text, BS_PUSHBUTTON | style, 0, box);
}

HWND ModalDialog::addChoiceList(const ControlBox& box, std::span<const std::string_view> choices, std::size_t chosen)
{
    // The height given to a drop-down list is its height while open: room for every choice.
    ControlBox opened = box;
    opened.height = box.height * int(choices.size() + 1);
    HWND list = addControl(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, opened);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), FALSE);
    for (std::string_view choice : choices) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(choice).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, WPARAM(chosen), 0);
    return list;
}

} // namespace kolven
