#include "cross_validation_dialog.h"

#include <algorithm>

namespace kolven {

CrossValidationDialog::CrossValidationDialog(const CvSettings& last, std::string_view seedText,
                                             const std::optional<DiscretizationMethod>& lastDiscretization)
{
    const auto chosen = std::find_if(kCvMethodChoices.begin(), kCvMethodChoices.end(),
                                     [&last](const MethodInfo& c) { return c.method == last.method; });
    method_ = std::size_t(chosen - kCvMethodChoices.begin()) % kCvMethodChoices.size();
    texts_[std::size_t(CvField::Folds)] = std::to_string(last.folds);
    texts_[std::size_t(CvField::K)] = std::to_string(std::max(last.k, 1u));
    texts_[std::size_t(CvField::Seed)] = std::string(seedText);
    // K of the last equal width, or the default K (5) that the other methods carry.
    texts_[std::size_t(CvField::Intervals)] = std::to_string(lastDiscretization.value_or(DiscretizationMethod{}).intervals);
    if (lastDiscretization) {
        switch (lastDiscretization->method) {
        case CutMethod::MaximalDiscernibility: discretization_ = 1; break;
        case CutMethod::Entropy: discretization_ = 2; break;
        case CutMethod::EqualWidth: discretization_ = 1 + kEqualWidthChoice; break;
        }
    }
}

bool CrossValidationDialog::fieldEnabled(CvField field) const
{
    switch (field) {
    case CvField::K: return kCvMethodChoices[method_].family == MethodFamily::Knn;
    case CvField::Intervals: return discretization_ == 1 + kEqualWidthChoice;
    default: return true;
    }
}

void CrossValidationDialog::setMethod(std::size_t index)
{
    method_ = std::min(index, kCvMethodChoices.size() - 1);
}

void CrossValidationDialog::setDiscretization(std::size_t index)
{
    discretization_ = std::min(index, kCvDiscretizationChoices.size() - 1);
}

std::string CrossValidationDialog::discretizationText() const
{
    if (discretization_ == 0) {
        return {};
    }
    return discretizationMethodText(discretization_ - 1, fieldText(CvField::Intervals));
}

bool CrossValidationDialog::setFieldText(CvField field, std::string_view text)
{
    std::string& kept = texts_[std::size_t(field)];
    kept = std::string(text);
    // As in the k-NN dialog, k is at least 1 and the field says so at once.
    if (field == CvField::K && !kept.empty() && countFromFieldText(kept) == 0) {
        kept.assign(1, '1');
        return true;
    }
    return false;
}

bool CrossValidationDialog::okEnabled() const
{
    const auto filledWhereAsked = [this](CvField field) { return !fieldEnabled(field) || !fieldText(field).empty(); };
    return !fieldText(CvField::Folds).empty() && filledWhereAsked(CvField::K) && filledWhereAsked(CvField::Intervals);
}

CvSettings CrossValidationDialog::settings(std::uint32_t clockSeed) const
{
    CvSettings entered;
    entered.method = kCvMethodChoices[method_].method;
    entered.folds = countFromFieldText(fieldText(CvField::Folds));
    entered.k = countFromFieldText(fieldText(CvField::K));
    const std::string& seed = fieldText(CvField::Seed);
    entered.seed = seed.empty() ? clockSeed : countFromFieldText(seed);
    return entered;
}

} // namespace kolven
