#include "dialog_windows.h"

#include "table_files.h"
#include "wide_text.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace kolven {

namespace {

// The height of the grid fields' font, in pixels, as in the Qt window.
constexpr int kCellFontPixels = 9;
// Its average character width: a little narrower than the face's own, as the Qt window's is.
constexpr int kCellFontWidth = 4;

// A grid field's procedure: the wheel over it goes to the dialog, which scrolls the grid (the edit
// would take it and do nothing).
LRESULT CALLBACK wheelToDialog(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
        return SendMessageW(GetParent(edit), message, wParam, lParam);
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

// An edit's whole text, as UTF-8 for the logic.
std::string editText(HWND edit)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(edit, text.data(), int(text.size()))));
    return toUtf8(text);
}

// The width of text in font, in pixels, as window's screen measures it.
int textWidth(HWND window, HGDIOBJ font, std::string_view text)
{
    const std::wstring wide = toWide(text);
    HDC context = GetDC(window);
    HGDIOBJ before = SelectObject(context, font);
    SIZE size{};
    GetTextExtentPoint32W(context, wide.c_str(), int(wide.size()), &size);
    SelectObject(context, before);
    ReleaseDC(window, context);
    return int(size.cx);
}

} // namespace

void ParameterDialogWindow::createControls()
{
    for (const ParameterFieldLayout& field : dialog_.fields()) {
        addLabel(field.label, field.labelBox);
        edits_.push_back(addEdit(field.editBox, WS_TABSTOP | (field.digitsOnly ? ES_NUMBER : 0)));
    }
    ok_ = addOkAndCancel(dialog_, WS_DISABLED | WS_TABSTOP, WS_TABSTOP);
    // OK's tooltip. A disabled button gets no mouse, so the tip watches OK's place on the dialog.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog(), nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    const ControlBox okBox = dialog_.okBox();
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // the size every version of the control takes
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = dialog();
    tool.uId = 1;
    tool.rect = RECT{okBox.x, okBox.y, okBox.x + okBox.width, okBox.y + okBox.height};
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A dialog opened again shows what was typed before.
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        SetWindowTextW(edits_[i], toWide(dialog_.fieldText(dialog_.fields()[i].field)).c_str());
    }
    followLogic();
}

void ParameterDialogWindow::followLogic()
{
    EnableWindow(ok_, dialog_.okEnabled());
    if (!tip_) {
        return;
    }
    // An empty text shows no tip.
    std::wstring reason = toWide(dialog_.okDisabledReason());
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = dialog();
    tool.uId = 1;
    tool.lpszText = reason.data();
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ParameterDialogWindow::editChanged(HWND edit)
{
    const auto found = std::find(edits_.begin(), edits_.end(), edit);
    if (found == edits_.end()) {
        return;
    }
    const ParameterFieldLayout& field = dialog_.fields()[std::size_t(found - edits_.begin())];
    dialog_.setFieldText(field.field, editText(edit));
    followLogic();
}

void KnnDialogWindow::createControls()
{
    addLabel(kKnnFieldLabel, dialog_.labelBox());
    addEdit(dialog_.editBox(), WS_TABSTOP | ES_NUMBER);
    addLabel(kKnnNormalizationLabel, dialog_.normalizationLabelBox());
    addChoiceList(dialog_.normalizationBox(), kNormalizationChoices, dialog_.normalizationIndex());
    ok_ = addOkAndCancel(dialog_, WS_DISABLED | WS_TABSTOP, WS_TABSTOP);
    EnableWindow(ok_, dialog_.okEnabled());
}

void KnnDialogWindow::choiceChanged(HWND list)
{
    const LRESULT chosen = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (chosen != CB_ERR) {
        dialog_.setNormalization(std::size_t(chosen));
    }
}

void KnnDialogWindow::editChanged(HWND edit)
{
    if (dialog_.setFieldText(editText(edit))) {
        SetWindowTextW(edit, toWide(dialog_.fieldText()).c_str());
    }
    EnableWindow(ok_, dialog_.okEnabled());
}

void CrossValidationDialogWindow::createControls()
{
    addLabel(kCvMethodLabel, kCvMethodLabelBox);
    std::vector<std::string_view> methods;
    for (const MethodInfo& choice : kCvMethodChoices) {
        methods.push_back(choice.windowLabel);
    }
    methods_ = addChoiceList(kCvMethodBox, methods, dialog_.methodIndex());
    for (const CvFieldLayout& layout : kCvFields) {
        addField(layout);
    }
    addLabel(kCvDiscretizationLabel, kCvDiscretizationLabelBox);
    addChoiceList(kCvDiscretizationBox, kCvDiscretizationChoices, dialog_.discretizationIndex());
    addField(kCvIntervalsField);
    ok_ = addOkAndCancel(dialog_, WS_DISABLED | WS_TABSTOP, WS_TABSTOP);
    followLogic();
}

void CrossValidationDialogWindow::addField(const CvFieldLayout& layout)
{
    addLabel(layout.label, layout.labelBox);
    HWND edit = addEdit(layout.editBox, WS_TABSTOP | ES_NUMBER);
    edits_.emplace_back(edit, layout.field);
    SetWindowTextW(edit, toWide(dialog_.fieldText(layout.field)).c_str());
}

void CrossValidationDialogWindow::followLogic()
{
    for (const auto& [edit, field] : edits_) {
        EnableWindow(edit, dialog_.fieldEnabled(field));
    }
    EnableWindow(ok_, dialog_.okEnabled());
}

void CrossValidationDialogWindow::editChanged(HWND edit)
{
    const auto found = std::find_if(edits_.begin(), edits_.end(), [edit](const auto& e) { return e.first == edit; });
    // The edits announce their opening texts while they are still being created.
    if (found == edits_.end() || !ok_) {
        return;
    }
    const CvField field = found->second;
    if (dialog_.setFieldText(field, editText(edit))) {
        SetWindowTextW(edit, toWide(dialog_.fieldText(field)).c_str());
    }
    EnableWindow(ok_, dialog_.okEnabled());
}

void CrossValidationDialogWindow::choiceChanged(HWND list)
{
    const LRESULT chosen = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (chosen == CB_ERR) {
        return;
    }
    if (list == methods_) {
        dialog_.setMethod(std::size_t(chosen));
    } else {
        dialog_.setDiscretization(std::size_t(chosen));
    }
    followLogic();
}

GridEditorWindow::GridEditorWindow(GridEditor& editor)
    : ModalDialog(editor.frame(),
                  (editor.hasHorizontalBar() ? WS_HSCROLL : 0) | (editor.hasVerticalBar() ? WS_VSCROLL : 0)),
      editor_(editor),
      cellFont_(CreateFontW(-kCellFontPixels, kCellFontWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma"))
{
}

GridEditorWindow::~GridEditorWindow()
{
    if (cellFont_) {
        DeleteObject(cellFont_);
    }
}

void GridEditorWindow::createControls()
{
    fitToTexts();
    addOkAndCancel(editor_, 0, 0);
    setUpBar(SB_HORZ, editor_.hasHorizontalBar(), editor_.columnCount(), editor_.visibleColumns());
    setUpBar(SB_VERT, editor_.hasVerticalBar(), editor_.rowCount(), editor_.visibleRows());
    for (int c = 0; c < editor_.visibleColumns(); ++c) {
        columnLabels_.push_back(addLabel("", editor_.columnLabelBox(c)));
        // A name longer than its column ends in an ellipsis.
        HWND label = columnLabels_.back();
        SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_ENDELLIPSIS);
    }
    for (int r = 0; r < editor_.visibleRows(); ++r) {
        rowLabels_.push_back(addLabel("", editor_.rowLabelBox(r)));
    }
    // Created row by row, so the tab order runs row by row.
    for (int r = 0; r < editor_.visibleRows(); ++r) {
        for (int c = 0; c < editor_.visibleColumns(); ++c) {
            cells_.push_back(addEdit(editor_.cellBox(r, c), WS_TABSTOP | ES_AUTOHSCROLL));
            if (cellFont_) {
                SendMessageW(cells_.back(), WM_SETFONT, reinterpret_cast<WPARAM>(cellFont_), FALSE);
            }
            SetWindowSubclass(cells_.back(), wheelToDialog, 0, 0);
        }
    }
    if (editor_.hasHorizontalBar()) {
        position_ = addLabel("", editor_.positionBox());
    }
    refill();
}

void GridEditorWindow::wheeled(int notches, bool columns)
{
    if (editor_.scrollByWheel(notches, columns)) {
        refill();
        setBarPositions();
    }
}

void GridEditorWindow::okRefused()
{
    if (editor_.refusal().empty()) {
        return;
    }
    refill();
    setBarPositions();
    HWND field = cells_[std::size_t(editor_.refusedRow() * editor_.visibleColumns() + editor_.refusedColumn())];
    MessageBoxW(dialog(), toWide(editor_.refusal()).c_str(), toWide(kErrorCaption).c_str(), MB_OK);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

void GridEditorWindow::setBarPositions()
{
    for (const auto& [bar, shown, position] : {std::tuple(SB_HORZ, editor_.hasHorizontalBar(), editor_.firstColumn()),
                                               std::tuple(SB_VERT, editor_.hasVerticalBar(), editor_.firstRow())}) {
        if (shown) {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_POS;
            info.nPos = int(position);
            SetScrollInfo(dialog(), bar, &info, TRUE);
        }
    }
}

void GridEditorWindow::fitToTexts()
{
    // The fields take the edits' stock font, the labels the system font.
    HGDIOBJ cellFont = cellFont_ ? HGDIOBJ(cellFont_) : GetStockObject(ANSI_VAR_FONT);
    editor_.fitTexts(textWidth(dialog(), cellFont, GridEditor::widestCellText()),
                     textWidth(dialog(), GetStockObject(SYSTEM_FONT), editor_.widestRowLabel()));
    // The caption's room: its text in the title bar's font, and the frame's ends.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT titleFont = CreateFontIndirectW(&metrics.lfCaptionFont);
    const int captionWidth = textWidth(dialog(), titleFont, editor_.frame().caption) + GetSystemMetrics(SM_CXSIZE) +
                             4 * GetSystemMetrics(SM_CXFIXEDFRAME);
    DeleteObject(titleFont);

    // The client area leaves out the frame and the vertical bar; what the grid needs comes on top.
    RECT client{};
    RECT outer{};
    GetClientRect(dialog(), &client);
    GetWindowRect(dialog(), &outer);
    const int frameWidth = int(outer.right - outer.left) - int(client.right);
    // A grid wider than the screen shows fewer columns, so that it and its bars stay on it.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog(), MONITOR_DEFAULTTONEAREST), &monitor);
    editor_.limitVisibleColumns(int(monitor.rcWork.right - monitor.rcWork.left) - frameWidth);
    const int width = std::max({int(outer.right - outer.left), frameWidth + editor_.minimumClientWidth(), captionWidth});
    // A widened dialog stays on its owner's screen.
    const int left = std::max(int(monitor.rcWork.left), std::min(int(outer.left), int(monitor.rcWork.right) - width));
    SetWindowPos(dialog(), nullptr, left, outer.top, width, int(outer.bottom - outer.top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void GridEditorWindow::setUpBar(int bar, bool shown, std::uint32_t count, int page)
{
    // The bar spans the table's entries; its page is the visible part.
    if (!shown) {
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = int(count) - 1;
    info.nPage = UINT(page);
    info.nPos = 0;
    SetScrollInfo(dialog(), bar, &info, TRUE);
}

void GridEditorWindow::refill()
{
    filling_ = true;
    for (int c = 0; c < editor_.visibleColumns(); ++c) {
        SetWindowTextW(columnLabels_[std::size_t(c)], toWide(editor_.columnLabel(c)).c_str());
    }
    for (int r = 0; r < editor_.visibleRows(); ++r) {
        SetWindowTextW(rowLabels_[std::size_t(r)], toWide(editor_.rowLabel(r)).c_str());
    }
    if (position_) {
        SetWindowTextW(position_, toWide(editor_.positionText()).c_str());
    }
    for (int r = 0; r < editor_.visibleRows(); ++r) {
        for (int c = 0; c < editor_.visibleColumns(); ++c) {
            SetWindowTextW(cells_[std::size_t(r * editor_.visibleColumns() + c)],
                           toWide(editor_.cellText(r, c)).c_str());
        }
    }
    filling_ = false;
}

void GridEditorWindow::editChanged(HWND edit)
{
    const auto found = std::find(cells_.begin(), cells_.end(), edit);
    if (filling_ || found == cells_.end()) {
        return;
    }
    const int index = int(found - cells_.begin());
    editor_.setCellText(index / editor_.visibleColumns(), index % editor_.visibleColumns(), editText(edit));
}

void GridEditorWindow::scrolled(int bar, WORD request, int trackPosition)
{
    ScrollRequest asked = ScrollRequest::EndScroll;
    switch (request) {
    case SB_LINEUP: asked = ScrollRequest::LineBack; break; // SB_LINELEFT too
    case SB_LINEDOWN: asked = ScrollRequest::LineForward; break;
    case SB_PAGEUP: asked = ScrollRequest::PageBack; break;
    case SB_PAGEDOWN: asked = ScrollRequest::PageForward; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: asked = ScrollRequest::Thumb; break;
    case SB_TOP: asked = ScrollRequest::First; break; // SB_LEFT too
    case SB_BOTTOM: asked = ScrollRequest::Last; break;
    default: return;
    }
    const bool columns = bar == SB_HORZ;
    const bool moved = columns ? editor_.scrollColumns(asked, trackPosition) : editor_.scrollRows(asked, trackPosition);
    if (!moved) {
        return;
    }
    refill();
    setBarPositions();
}

} // namespace kolven
