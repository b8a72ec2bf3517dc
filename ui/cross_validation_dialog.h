#pragma once

#include "cross_validation.h"
#include "dialog_layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

inline constexpr std::string_view kCrossValidationCaption = "Walidacja krzyzowa";

// The edits of the dialog, in tab order after the method's list.
enum class CvField { Folds, K, Seed };

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

// What the cross-validation dialog asks: the method, the number of folds, k and the seed. It
// opens with the settings of the last run and the seed as typed for it (empty: the clock seeds
// each run). Either adapter's dialog shows the list and the edits, hands every change to
// setMethod or setFieldText (showing fieldText when that returns true), enables each edit as
// fieldEnabled says (again after each change of method), enables OK as okEnabled() says and
// calls accept() or cancel() when OK or ANULUJ is clicked.
class CrossValidationDialog {
public:
    explicit CrossValidationDialog(const CvSettings& last, std::string_view seedText = {});

    // Caption and frame: 175, 100, 195 x 78 dialog units.
    DialogFrame frame() const { return {kCrossValidationCaption, 175, 100, 195, 78}; }
    ControlBox okBox() const { return {4, 120, 60, 28}; }
    ControlBox cancelBox() const { return {74, 120, 60, 28}; }

    // The index of the chosen method in kCvMethodChoices.
    void setMethod(std::size_t index);
    std::size_t methodIndex() const { return method_; }

    // Takes an edit's new text. k 0 becomes 1, and the edit is told so: returns true when it
    // must show fieldText instead of what was typed.
    bool setFieldText(CvField field, std::string_view text);
    const std::string& fieldText(CvField field) const { return texts_[std::size_t(field)]; }

    // k is asked for k-NN only: the rule methods have no use for it.
    bool fieldEnabled(CvField field) const;

    // True while the folds, and k where it is asked, hold text.
    bool okEnabled() const;
    void accept() { accepted_ = okEnabled(); }
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }

    // The settings entered; the seed is clockSeed when its edit is empty.
    CvSettings settings(std::uint32_t clockSeed) const;

private:
    std::size_t method_ = 0;
    std::array<std::string, 3> texts_;
    bool accepted_ = false;
};

} // namespace kolven
