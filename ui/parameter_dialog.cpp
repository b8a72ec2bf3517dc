#include "parameter_dialog.h"

namespace kolven {

DialogFrame ParameterDialog::frame() const
{
    if (mode_ == ParameterDialogMode::Create) {
        return {kCreateSystemCaption, 175, 100, 160, 50};
    }
    return {kGenerateSystemCaption, 175, 100, 160, 70};
}

std::span<const ParameterFieldLayout> ParameterDialog::fields() const
{
    const std::size_t shownCount = mode_ == ParameterDialogMode::Create ? 2 : 4;
    return std::span<const ParameterFieldLayout>(kParameterFields).first(shownCount);
}

ControlBox ParameterDialog::okBox() const
{
    return {4, mode_ == ParameterDialogMode::Create ? 60 : 110, 60, 28};
}

ControlBox ParameterDialog::cancelBox() const
{
    return {74, mode_ == ParameterDialogMode::Create ? 60 : 110, 60, 28};
}

bool ParameterDialog::shown(ParameterField field) const
{
    return mode_ == ParameterDialogMode::Generate || field == ParameterField::Objects ||
           field == ParameterField::Attributes;
}

void ParameterDialog::setFieldText(ParameterField field, std::string_view text)
{
    if (!shown(field)) {
        return;
    }
    filled_[index(field)] = !text.empty();
    if (text.empty()) {
        return;
    }
    switch (field) {
    case ParameterField::Objects:
        objects_ = countFromFieldText(text);
        break;
    case ParameterField::Attributes:
        attributes_ = countFromFieldText(text);
        break;
    case ParameterField::Minimum:
        minimum_ = valueFromFieldText(text);
        break;
    case ParameterField::Maximum:
        maximum_ = valueFromFieldText(text);
        break;
    }
}

bool ParameterDialog::okEnabled() const
{
    for (const ParameterFieldLayout& layout : fields()) {
        if (!filled(layout.field)) {
            return false;
        }
    }
    return objects_ != 0;
}

void ParameterDialog::accept()
{
    accepted_ = okEnabled();
}

} // namespace kolven
