#include "generator.h"

#include "checked_size.h"

#include <cmath>
#include <ctime>
#include <vector>

namespace kolven {

void fillRandom(const RandomRange& range, LinearCongruential& source, float* values, std::size_t count)
{
    const auto width = static_cast<std::uint32_t>(range.upperBound) - static_cast<std::uint32_t>(range.lowerBound);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t r = source.next();
        values[i] = static_cast<float>(std::int64_t(range.lowerBound) + std::int64_t(r % width));
    }
}

std::string_view refusalMessage(GeneratorRefusal refusal)
{
    switch (refusal) {
    case GeneratorRefusal::NoObjects:
        return "Liczba obiektow musi byc wieksza od zera.";
    case GeneratorRefusal::EmptyRange:
        return "Wartosc maksymalna nie moze byc mniejsza od minimalnej.";
    case GeneratorRefusal::RangeOutOfBounds:
        return "Wartosci minimalna i maksymalna musza lezec w przedziale od -2147483648 do 2147483646.";
    }
    return {};
}

std::optional<GeneratorRefusal> checkGeneratorParameters(std::uint32_t objects, float min, float max)
{
    if (objects == 0) {
        return GeneratorRefusal::NoObjects;
    }
    // trunc(max) + 1 must still be a 32-bit integer.
    const auto fits = [](float v) {
        return std::isfinite(v) && double(std::trunc(v)) >= -2147483648.0 && double(std::trunc(v)) <= 2147483646.0;
    };
    if (!fits(min) || !fits(max)) {
        return GeneratorRefusal::RangeOutOfBounds;
    }
    if (std::trunc(max) < std::trunc(min)) {
        return GeneratorRefusal::EmptyRange;
    }
    return std::nullopt;
}

RandomSystemGenerator::RandomSystemGenerator(Clock clock) : clock_(std::move(clock))
{
    if (!clock_) {
        clock_ = [] { return static_cast<std::uint32_t>(std::time(nullptr)); };
    }
}

void RandomSystemGenerator::generate(SystemDecyzyjny& target, std::uint32_t objects, std::uint32_t attributes,
                                     float min, float max, std::optional<std::uint32_t> seed)
{
    std::vector<float> matrix(checkedCount({objects, std::uint64_t(attributes) + 1}));
    const RandomRange range{static_cast<std::int32_t>(std::trunc(max)) + 1, static_cast<std::int32_t>(std::trunc(min))};

    std::uint32_t t = 0;
    if (seed) {
        t = *seed;
    } else {
        t = clock_();
        while (t == lastSeed_) {
            t = clock_();
        }
    }
    lastSeed_ = t;
    source_.seed(t);
    fillRandom(range, source_, matrix.data(), matrix.size());
    target.installValues(objects, attributes, std::move(matrix));
}

} // namespace kolven
