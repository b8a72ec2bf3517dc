#include "preparation_dialog.h"

namespace kolven {

namespace {

constexpr std::array kAttributesFields{
    PreparationFieldLayout{"Atrybuty warunkowe (numery od 1 albo nazwy, po przecinku):", {4, 10, 432, 16},
                           {4, 30, 432, 20}, false, false},
};

constexpr std::array kDiscretizationFields{
    PreparationFieldLayout{"Metoda:", {4, 10, 150, 16}, {160, 8, 260, 22}, true, false},
    PreparationFieldLayout{kIntervalCountLabel, {4, 38, 150, 16}, {160, 38, 48, 20}, false, true},
};

constexpr std::array kMissingValueFields{
    PreparationFieldLayout{"Uzupelnij braki:", {4, 10, 150, 16}, {160, 8, 260, 22}, true, false},
};

} // namespace

DialogFrame PreparationDialog::frame() const
{
    switch (mode_) {
    case PreparationDialogMode::Attributes: return {kAttributesDialogCaption, 175, 100, 220, 54};
    case PreparationDialogMode::Discretization: return {kDiscretizationDialogCaption, 175, 100, 215, 54};
    case PreparationDialogMode::MissingValues: return {kMissingValuesDialogCaption, 175, 100, 215, 54};
    }
    return {};
}

std::span<const PreparationFieldLayout> PreparationDialog::fields() const
{
    switch (mode_) {
    case PreparationDialogMode::Attributes: return kAttributesFields;
    case PreparationDialogMode::Discretization: return kDiscretizationFields;
    case PreparationDialogMode::MissingValues: return kMissingValueFields;
    }
    return {};
}

std::span<const std::string_view> PreparationDialog::choices() const
{
    if (mode_ == PreparationDialogMode::MissingValues) {
        return kMissingValueChoices;
    }
    return kDiscretizationChoices;
}

ControlBox PreparationDialog::okBox() const
{
    return {4, 72, 60, 28};
}

ControlBox PreparationDialog::cancelBox() const
{
    return {74, 72, 60, 28};
}

std::string discretizationMethodText(std::size_t choice, std::string_view intervals)
{
    switch (choice) {
    case 1: return "entropy";
    case kEqualWidthChoice: return "width:" + std::string(intervals);
    default: return "md";
    }
}

std::string PreparationDialog::methodText() const
{
    return discretizationMethodText(choice_, text_);
}

} // namespace kolven
