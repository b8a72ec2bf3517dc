#include "missing_values.h"

#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace kolven {

std::optional<MissingTreatment> missingTreatmentNamed(std::string_view word)
{
    for (const MissingTreatment t : {MissingTreatment::Mean, MissingTreatment::Mode, MissingTreatment::Drop}) {
        if (word == missingTreatmentName(t)) {
            return t;
        }
    }
    return std::nullopt;
}

std::string_view missingTreatmentName(MissingTreatment treatment)
{
    switch (treatment) {
    case MissingTreatment::Mean: return "mean";
    case MissingTreatment::Mode: return "mode";
    case MissingTreatment::Drop: break;
    }
    return "drop";
}

bool isMissingCell(float value, std::uint32_t column, const TableNames& names)
{
    const bool nominal = column < names.columns.size() && names.columns[column].nominal;
    return std::isnan(value) || (nominal && value == kMissingValue);
}

std::optional<std::string> MissingFill::fit(const SystemDecyzyjny& train, const TableNames& names,
                                            MissingTreatment treatment)
{
    treatment_ = treatment;
    fills_.assign(train.rowLength, std::numeric_limits<float>::quiet_NaN());
    if (treatment == MissingTreatment::Drop) {
        return std::nullopt;
    }
    for (std::uint32_t c = 0; c < train.rowLength; ++c) {
        const bool nominal = (c < names.columns.size() && names.columns[c].nominal) || c == train.attributeCount;
        double sum = 0;
        std::uint64_t present = 0;
        std::uint64_t missing = 0;
        std::map<float, std::uint64_t> counts;
        for (std::uint32_t o = 0; o < train.objectCount; ++o) {
            const float value = train.row(o)[c];
            if (isMissingCell(value, c, names)) {
                ++missing;
                continue;
            }
            sum += value;
            ++present;
            ++counts[value];
        }
        if (present == 0) {
            if (missing == 0) {
                continue;
            }
            const std::string name = c < names.columns.size() ? names.columns[c].name : "a" + std::to_string(c + 1);
            return "atrybut \"" + name + "\" nie ma zadnej wartosci, z ktorej mozna uzupelnic braki";
        }
        if (treatment == MissingTreatment::Mean && !nominal) {
            fills_[c] = static_cast<float>(sum / double(present));
        } else {
            auto best = counts.begin();
            for (auto it = counts.begin(); it != counts.end(); ++it) {
                best = it->second > best->second ? it : best;
            }
            fills_[c] = best->first;
        }
    }
    return std::nullopt;
}

std::uint64_t MissingFill::apply(SystemDecyzyjny& table, const TableNames& names) const
{
    std::uint64_t changed = 0;
    std::vector<float> kept;
    std::uint32_t keptObjects = 0;
    for (std::uint32_t o = 0; o < table.objectCount; ++o) {
        const float* row = table.row(o);
        bool complete = true;
        for (std::uint32_t c = 0; c < table.rowLength; ++c) {
            complete = complete && !isMissingCell(row[c], c, names);
        }
        if (complete || treatment_ != MissingTreatment::Drop) {
            kept.insert(kept.end(), row, row + table.rowLength);
            ++keptObjects;
        } else {
            ++changed;
        }
    }
    if (treatment_ != MissingTreatment::Drop) {
        for (std::size_t at = 0; at < kept.size(); ++at) {
            const auto c = std::uint32_t(at % table.rowLength);
            if (isMissingCell(kept[at], c, names) && c < fills_.size() && !std::isnan(fills_[c])) {
                kept[at] = fills_[c];
                ++changed;
            }
        }
    }
    table.installValues(keptObjects, table.attributeCount, std::move(kept));
    return changed;
}

std::string missingTreatmentNote(MissingTreatment treatment, std::uint64_t changed)
{
    switch (treatment) {
    case MissingTreatment::Mean:
        return "braki: uzupelnione srednia (dla nominalnych moda), " + std::to_string(changed) + " wartosci";
    case MissingTreatment::Mode: return "braki: uzupelnione moda, " + std::to_string(changed) + " wartosci";
    case MissingTreatment::Drop: break;
    }
    return "braki: usuniete obiekty z brakami, " + std::to_string(changed);
}

std::string foldMissingTreatmentNote(MissingTreatment treatment, std::uint64_t missingValues)
{
    const std::string kind = treatment == MissingTreatment::Mean ? "srednia (dla nominalnych moda)" : "moda";
    return "braki: uzupelnione " + kind + " z czesci uczacej kazdej czesci, " + std::to_string(missingValues) + " wartosci";
}

std::uint64_t missingCellCount(const SystemDecyzyjny& table, const TableNames& names)
{
    std::uint64_t count = 0;
    for (std::uint32_t o = 0; o < table.objectCount; ++o) {
        for (std::uint32_t c = 0; c < table.rowLength; ++c) {
            count += isMissingCell(table.row(o)[c], c, names) ? 1 : 0;
        }
    }
    return count;
}

} // namespace kolven
