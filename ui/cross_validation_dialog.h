#pragma once

#include "cross_validation.h"
#include "dialog_layout.h"
#include "preparation_dialog.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

inline constexpr std::string_view kCrossValidationCaption = "Walidacja krzyzowa";

// The edits of the dialog: the three of kCvFields in tab order after the method's list, then K of
// equal width after the discretization's list.
enum class CvField { Folds, K, Seed, Intervals };

// One edit: its label, the label's and the edit's place. All take digits only.
struct CvFieldLayout {
    CvField field;
    std::string_view label;
    ControlBox labelBox;
    ControlBox editBox;
};

inline constexpr std::string_view kCvMethodLabel = "Metoda:";
inline constexpr ControlBox kCvMethodLabelBox{4, 10, 150, 16};
inline constexpr ControlBox kCvMethodBox{160, 8, 220, 22};
inline constexpr std::array kCvFields{
    CvFieldLayout{CvField::Folds, "Liczba czesci:", {4, 35, 150, 16}, {160, 35, 48, 20}},
    CvFieldLayout{CvField::K, "Parametr k (k-NN):", {4, 60, 150, 16}, {160, 60, 48, 20}},
    CvFieldLayout{CvField::Seed, "Ziarno (puste: zegar):", {4, 85, 150, 16}, {160, 85, 96, 20}},
};

// The methods the list offers, top to bottom, with their texts (windowLabel): the registry's.
inline constexpr const auto& kCvMethodChoices = kMethods;

// How each fold is cut before the method runs: none, or a method of the discretization dialog, whose
// texts the list repeats after "none" (index i + 1 is kDiscretizationChoices[i]), with its K.
inline constexpr std::string_view kCvDiscretizationLabel = "Dyskretyzacja:";
inline constexpr auto kCvDiscretizationChoices = [] {
    std::array<std::string_view, 1 + kDiscretizationChoices.size()> choices{"Bez dyskretyzacji"};
    std::copy(kDiscretizationChoices.begin(), kDiscretizationChoices.end(), choices.begin() + 1);
    return choices;
}();
inline constexpr ControlBox kCvDiscretizationLabelBox{4, 112, 150, 16};
inline constexpr ControlBox kCvDiscretizationBox{160, 110, 260, 22};
inline constexpr CvFieldLayout kCvIntervalsField{CvField::Intervals, kIntervalCountLabel, {4, 137, 150, 16},
                                                 {160, 137, 48, 20}};

// What the cross-validation dialog asks: the method, the number of folds, k, the seed and the
// discretization of each fold with its K. It opens with the settings of the last run and the
// seed as typed for it (empty: the clock seeds each run). Either adapter's dialog shows the lists
// and the edits, hands every change to setMethod, setDiscretization or setFieldText (showing
// fieldText when that returns true), enables each edit as fieldEnabled says (again after each
// change of a list), enables OK as okEnabled() says and calls accept() or cancel() when OK or
// ANULUJ is clicked.
class CrossValidationDialog {
public:
    explicit CrossValidationDialog(const CvSettings& last, std::string_view seedText = {},
                                   const std::optional<DiscretizationMethod>& lastDiscretization = std::nullopt);

    // Caption and frame: 175, 100, 215 x 104 dialog units, wide enough for the discretization's list.
    DialogFrame frame() const { return {kCrossValidationCaption, 175, 100, 215, 104}; }
    ControlBox okBox() const { return {4, 172, 60, 28}; }
    ControlBox cancelBox() const { return {74, 172, 60, 28}; }

    // The index of the chosen method in kCvMethodChoices.
    void setMethod(std::size_t index);
    std::size_t methodIndex() const { return method_; }

    // The index of the chosen discretization in kCvDiscretizationChoices.
    void setDiscretization(std::size_t index);
    std::size_t discretizationIndex() const { return discretization_; }
    // The discretization as the command line names it ("md", "entropy", "width:K" with K as
    // typed), for parseDiscretizationMethod to judge; empty for none.
    std::string discretizationText() const;

    // Takes an edit's new text. k 0 becomes 1, and the edit is told so: returns true when it
    // must show fieldText instead of what was typed.
    bool setFieldText(CvField field, std::string_view text);
    const std::string& fieldText(CvField field) const { return texts_[std::size_t(field)]; }

    // k is asked for k-NN only: the rule methods have no use for it; K for equal width only.
    bool fieldEnabled(CvField field) const;

    // True while the folds, and k and K where they are asked, hold text.
    bool okEnabled() const;
    void accept() { accepted_ = okEnabled(); }
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }

    // The settings entered; the seed is clockSeed when its edit is empty.
    CvSettings settings(std::uint32_t clockSeed) const;

private:
    std::size_t method_ = 0;
    std::size_t discretization_ = 0;
    std::array<std::string, 4> texts_;
    bool accepted_ = false;
};

} // namespace kolven
