#include "preparation_dialog_window.h"

#include "wide_text.h"

#include <string>

namespace kolven {

void PreparationDialogWindow::createControls()
{
    for (const PreparationFieldLayout& field : dialog_.fields()) {
        addLabel(field.label, field.labelBox);
        if (field.choice) {
            addChoiceList(field.box, dialog_.choices(), dialog_.choice());
            continue;
        }
        HWND edit = addEdit(field.box, WS_TABSTOP | ES_AUTOHSCROLL | (field.digitsOnly ? ES_NUMBER : 0));
        // A dialog opened again after a refusal shows what was typed before.
        SetWindowTextW(edit, toWide(dialog_.fieldText()).c_str());
    }
    addOkAndCancel(dialog_, WS_TABSTOP, WS_TABSTOP);
}

void PreparationDialogWindow::editChanged(HWND edit)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(edit, text.data(), int(text.size()))));
    dialog_.setFieldText(toUtf8(text));
}

void PreparationDialogWindow::choiceChanged(HWND list)
{
    const LRESULT chosen = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (chosen != CB_ERR) {
        dialog_.setChoice(std::size_t(chosen));
    }
}

} // namespace kolven
