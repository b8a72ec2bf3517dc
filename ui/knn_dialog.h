#pragma once

#include "dialog_layout.h"
#include "normalization.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

class kNNv1;

inline constexpr std::string_view kKnnDialogCaption = "Konfiguracja klasyfikatora k-NN";
inline constexpr std::string_view kKnnFieldLabel = "Parametr k:";
// How the attributes are rescaled before distances are measured: not at all, then the entries of
// Normalization in their order (index i + 1 is Normalization(i)), named as the command line names them.
inline constexpr std::string_view kKnnNormalizationLabel = "Normalizacja:";
inline constexpr std::array<std::string_view, 3> kNormalizationChoices{"Bez normalizacji", "Zakres (range)",
                                                                       "Standaryzacja (zscore)"};

// What the k-NN configuration dialog asks: k, digits only, and the normalization. Either adapter's
// dialog hands every change of the edit's text to setFieldText, shows fieldText() when it returns
// true, hands the list's choice to setNormalization, enables OK as okEnabled() says and calls
// accept() or cancel() when OK or ANULUJ is clicked. The edit starts empty, whatever k is; the
// list shows the normalization of the last classification.
class KnnDialog {
public:
    explicit KnnDialog(kNNv1& classifier, std::optional<Normalization> lastNormalization = std::nullopt)
        : classifier_(classifier), normalization_(lastNormalization ? 1 + std::size_t(*lastNormalization) : 0)
    {
    }

    // Caption and frame: 175, 100, 160 x 51 dialog units.
    DialogFrame frame() const { return {kKnnDialogCaption, 175, 100, 160, 51}; }
    ControlBox labelBox() const { return {4, 10, 112, 16}; }
    ControlBox editBox() const { return {116, 10, 48, 20}; }
    ControlBox normalizationLabelBox() const { return {4, 38, 112, 16}; }
    ControlBox normalizationBox() const { return {116, 36, 196, 22}; }
    ControlBox okBox() const { return {4, 67, 60, 28}; }
    ControlBox cancelBox() const { return {74, 67, 60, 28}; }

    // The index of the chosen entry in kNormalizationChoices, and the normalization it names.
    void setNormalization(std::size_t index) { normalization_ = std::min(index, kNormalizationChoices.size() - 1); }
    std::size_t normalizationIndex() const { return normalization_; }
    std::optional<Normalization> normalization() const;

    // Takes the edit's new text and reads k from it like a count; k 0 becomes 1 and the text
    // becomes "1". Returns true when the edit must show fieldText() instead of what was typed.
    bool setFieldText(std::string_view text);
    const std::string& fieldText() const { return text_; }

    // True while the edit holds text.
    bool okEnabled() const { return !text_.empty(); }
    std::uint32_t kEntered() const { return kEntered_; }

    // OK: stores k entered into the classifier (ignored while OK is disabled). ANULUJ keeps the
    // classifier's k.
    void accept();
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }

private:
    kNNv1& classifier_;
    std::string text_;
    std::uint32_t kEntered_ = 1;
    std::size_t normalization_ = 0;
    bool accepted_ = false;
};

} // namespace kolven
