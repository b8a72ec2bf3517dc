#include "normalization.h"

#include <algorithm>
#include <cmath>

namespace kolven {

std::optional<Normalization> parseNormalization(std::string_view text)
{
    if (text == "range") {
        return Normalization::Range;
    }
    if (text == "zscore") {
        return Normalization::ZScore;
    }
    return std::nullopt;
}

std::string_view normalizationName(Normalization normalization)
{
    return normalization == Normalization::Range ? "range" : "zscore";
}

void Rescaling::applyInPlace(SystemDecyzyjny& table) const
{
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        float* row = table.values.data() + std::size_t(object) * table.rowLength;
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            row[a] = float((double(row[a]) - offset[a]) / scale[a]);
        }
    }
}

Rescaling fitRescaling(const SystemDecyzyjny& training, Normalization normalization)
{
    Rescaling made;
    for (std::uint32_t a = 0; a < training.attributeCount; ++a) {
        double low = 0, high = 0, sum = 0;
        for (std::uint32_t object = 0; object < training.objectCount; ++object) {
            const double value = training.value(object, a);
            low = object == 0 ? value : std::min(low, value);
            high = object == 0 ? value : std::max(high, value);
            sum += value;
        }
        const double count = std::max(1.0, double(training.objectCount));
        double offset = low;
        double scale = high - low;
        if (normalization == Normalization::ZScore) {
            offset = sum / count;
            double squares = 0;
            for (std::uint32_t object = 0; object < training.objectCount; ++object) {
                const double deviation = training.value(object, a) - offset;
                squares += deviation * deviation;
            }
            scale = std::sqrt(squares / count);
        }
        made.offset.push_back(offset);
        made.scale.push_back(scale > 0 ? scale : 1.0);
    }
    return made;
}

void rescaleBoth(Normalization normalization, SystemDecyzyjny& training, SystemDecyzyjny& test)
{
    if (training.attributeCount != test.attributeCount) {
        return;
    }
    const Rescaling rescaling = fitRescaling(training, normalization);
    rescaling.applyInPlace(training);
    rescaling.applyInPlace(test);
}

} // namespace kolven
