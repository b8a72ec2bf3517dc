#include "parameter_dialog.h"

#include "generator.h"

#include <algorithm>

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
    texts_[index(field)] = std::string(text);
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

bool ParameterDialog::shownFieldsFilled() const
{
    return std::ranges::all_of(fields(), [this](const ParameterFieldLayout& layout) { return filled(layout.field); });
}

bool ParameterDialog::okEnabled() const
{
    return shownFieldsFilled() && objects_ != 0;
}

std::string_view ParameterDialog::okDisabledReason() const
{
    return shownFieldsFilled() && objects_ == 0 ? refusalMessage(GeneratorRefusal::NoObjects) : std::string_view{};
}

void ParameterDialog::accept()
{
    accepted_ = okEnabled();
}

} // namespace kolven
