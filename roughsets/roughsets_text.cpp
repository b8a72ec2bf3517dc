#include "roughsets_text.h"

#include "text_format.h"

namespace kolven {

std::string attributeLabel(std::uint32_t attribute, const TableNames* names)
{
    if (names != nullptr) {
        return names->columns[attribute].name;
    }
    std::string label = "a";
    label += std::to_string(std::uint64_t(attribute) + 1);
    return label;
}

std::string attributeSetText(std::span<const std::uint32_t> attributes, const TableNames* names)
{
    std::string text = "{";
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        text += i == 0 ? "" : ", ";
        text += attributeLabel(attributes[i], names);
    }
    return text + "}";
}

std::string approximationsText(const Approximations& approximations, const TableNames* names)
{
    std::string text = "Atrybuty: " + attributeSetText(approximations.attributes, names) + "\n";
    text += "Klasy nierozroznialnosci: " + std::to_string(approximations.indiscernibilityClasses) + "\n";
    for (const ClassApproximation& c : approximations.classes) {
        text += "Klasa (";
        if (names != nullptr) {
            const auto decisionColumn = std::uint32_t(names->columns.size() - 1);
            text += names->columns[decisionColumn].name + "=";
            names->appendValue(text, decisionColumn, c.decision);
        } else {
            text += "d=";
            appendFixed(text, c.decision, 3);
        }
        text += "): obiekty " + std::to_string(c.objects) + ", dolne przyblizenie " + std::to_string(c.lower) +
                ", gorne przyblizenie " + std::to_string(c.upper) + ", brzeg " + std::to_string(c.boundary()) +
                ", dokladnosc ";
        appendFixed(text, c.accuracy, 3);
        text += "\n";
    }
    text += "Obszar pozytywny: " + std::to_string(approximations.positiveRegion) + " z " +
            std::to_string(approximations.objects) + "\nJakosc klasyfikacji: ";
    appendFixed(text, approximations.quality, 3);
    return text;
}

std::string approximationsReport(const Approximations& approximations, const TableNames* names)
{
    return timedReport(approximations.elapsedSeconds, approximationsText(approximations, names));
}

std::string reductsText(const ReductAnalysis& analysis, const TableNames* names)
{
    std::string text = "Rdzen: " + attributeSetText(analysis.core, names) + "\n";
    text += "Redukty: " + std::to_string(analysis.reducts.size());
    for (const auto& reduct : analysis.reducts) {
        text += "\n";
        text += attributeSetText(reduct, names);
    }
    return text;
}

std::string reductsReport(const ReductAnalysis& analysis, const TableNames* names)
{
    return timedReport(analysis.elapsedSeconds, reductsText(analysis, names));
}

} // namespace kolven
