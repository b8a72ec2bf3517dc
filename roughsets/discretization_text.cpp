#include "discretization.h"

#include <charconv>

// The text forms of discretization: method names as typed, and cuts as written in texts and labels.
namespace kolven {

namespace {

void appendGeneral(std::string& text, double value, int precision)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    text.append(buffer, result.ptr);
}

} // namespace

std::optional<DiscretizationMethod> parseDiscretizationMethod(std::string_view text)
{
    if (text == "md") {
        return DiscretizationMethod{CutMethod::MaximalDiscernibility};
    }
    if (text == "entropy") {
        return DiscretizationMethod{CutMethod::Entropy};
    }
    if (text == "width") {
        return DiscretizationMethod{CutMethod::EqualWidth, 5};
    }
    constexpr std::string_view prefix = "width:";
    if (!text.starts_with(prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = text.substr(prefix.size());
    std::uint32_t intervals = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), intervals);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || intervals < 2 ||
        intervals > kMaxEqualWidthIntervals) {
        return std::nullopt;
    }
    return DiscretizationMethod{CutMethod::EqualWidth, intervals};
}

std::string discretizationMethodName(const DiscretizationMethod& method)
{
    switch (method.method) {
    case CutMethod::MaximalDiscernibility: return "md";
    case CutMethod::Entropy: return "entropy";
    case CutMethod::EqualWidth: return "width:" + std::to_string(method.intervals);
    }
    return {};
}

std::vector<std::string> cutTexts(const std::vector<double>& cuts)
{
    std::vector<std::string> texts;
    for (int precision = 6; precision <= 17; ++precision) {
        texts.assign(cuts.size(), std::string());
        for (std::size_t i = 0; i < cuts.size(); ++i) {
            appendGeneral(texts[i], cuts[i], precision);
        }
        bool apart = true;
        for (std::size_t i = 1; i < texts.size(); ++i) {
            apart = apart && texts[i] != texts[i - 1];
        }
        if (apart) {
            break;
        }
    }
    return texts;
}

std::vector<std::string> intervalLabels(const std::vector<double>& cuts)
{
    const std::vector<std::string> texts = cutTexts(cuts);
    std::vector<std::string> labels;
    std::string lower = "-inf";
    for (const std::string& text : texts) {
        labels.push_back("(" + lower + ";" + text + "]");
        lower = text;
    }
    labels.push_back("(" + lower + ";inf)");
    return labels;
}

std::string cutsSummary(const Discretization& discretization, const TableNames* names)
{
    std::string text;
    for (std::uint32_t a = 0; a < discretization.isCut.size(); ++a) {
        if (!discretization.isCut[a]) {
            continue;
        }
        if (!text.empty()) {
            text += '\n';
        }
        text += "a" + std::to_string(a + 1);
        if (names != nullptr && a < names->columns.size()) {
            text += " " + names->columns[a].name;
        }
        const std::vector<std::string> texts = cutTexts(discretization.cuts[a]);
        if (!texts.empty()) {
            text += ':';
        }
        for (const std::string& cut : texts) {
            text += " " + cut;
        }
    }
    return text;
}

} // namespace kolven
