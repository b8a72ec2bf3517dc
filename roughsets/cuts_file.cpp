#include "cuts_file.h"

#include "text_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace kolven {

namespace {

constexpr std::string_view kHeader = "atrybuty ";

// The line at position (without its line end); position moves past it.
std::string_view nextLine(std::string_view text, std::size_t& position)
{
    const std::size_t end = std::min(text.find('\n', position), text.size());
    std::string_view line = text.substr(position, end - position);
    position = end + 1;
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

bool readCount(std::string_view text, std::uint32_t& count)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::string cutsFileText(const Discretization& discretization)
{
    std::string text = std::string(kHeader) + std::to_string(discretization.isCut.size()) + std::string(kLineEnd);
    for (std::size_t a = 0; a < discretization.isCut.size(); ++a) {
        if (!discretization.isCut[a]) {
            continue;
        }
        text += "a" + std::to_string(a + 1) + ":";
        for (double cut : discretization.cuts[a]) {
            char buffer[32];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, cut);
            text += ' ';
            text.append(buffer, result.ptr);
        }
        text += kLineEnd;
    }
    return text;
}

std::optional<Discretization> parseCutsFile(std::string_view text, std::string& refusal)
{
    std::size_t position = 0;
    const std::string_view header = nextLine(text, position);
    std::uint32_t attributes = 0;
    if (!header.starts_with(kHeader) || !readCount(header.substr(kHeader.size()), attributes)) {
        refusal = "pierwszy wiersz nie jest postaci \"atrybuty N\".";
        return std::nullopt;
    }
    Discretization made;
    made.isCut.assign(attributes, false);
    made.cuts.resize(attributes);
    for (std::uint64_t lineNumber = 2; position < text.size(); ++lineNumber) {
        const std::string_view line = nextLine(text, position);
        const std::string where = "wiersz " + std::to_string(lineNumber) + ": ";
        if (line.empty()) {
            continue;
        }
        const std::size_t colon = line.find(':');
        std::uint32_t number = 0;
        if (!line.starts_with('a') || colon == std::string_view::npos || !readCount(line.substr(1, colon - 1), number)) {
            refusal = where + "oczekiwano \"aN: ciecia\".";
            return std::nullopt;
        }
        if (number < 1 || number > attributes || made.isCut[number - 1]) {
            refusal = where + "atrybut a" + std::to_string(number) + " poza zakresem albo powtorzony.";
            return std::nullopt;
        }
        std::vector<double>& cuts = made.cuts[number - 1];
        made.isCut[number - 1] = true;
        std::string_view rest = line.substr(colon + 1);
        while (!rest.empty()) {
            if (rest.front() == ' ') {
                rest.remove_prefix(1);
                continue;
            }
            double cut = 0;
            const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), cut);
            const bool separated = end == rest.data() + rest.size() || *end == ' ';
            if (error != std::errc() || !separated || !std::isfinite(cut) || (!cuts.empty() && !(cuts.back() < cut))) {
                refusal = where + "ciecia musza byc skonczonymi liczbami w porzadku rosnacym.";
                return std::nullopt;
            }
            cuts.push_back(cut);
            rest.remove_prefix(std::size_t(end - rest.data()));
        }
    }
    return made;
}

bool cutsFitTable(const Discretization& discretization, const SystemDecyzyjny& table, const TableNames* names,
                  std::string& refusal)
{
    if (discretization.isCut.size() != table.attributeCount) {
        refusal = "ciecia dotycza " + std::to_string(discretization.isCut.size()) +
                  " atrybutow warunkowych, tabela ma ich " + std::to_string(table.attributeCount) + ".";
        return false;
    }
    if (names != nullptr && names->fits(table)) {
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            if (discretization.isCut[a] && names->columns[a].nominal) {
                refusal = "atrybut a" + std::to_string(a + 1) + " " + names->columns[a].name + " nie jest liczbowy.";
                return false;
            }
        }
    }
    return true;
}

} // namespace kolven
