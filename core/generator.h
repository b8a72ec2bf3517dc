#pragma once

#include "decision_system.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace kolven {

// The generator's range: values from lowerBound (inclusive) to upperBound (exclusive).
struct RandomRange {
    std::int32_t upperBound = 0; // trunc(max) + 1
    std::int32_t lowerBound = 0; // trunc(min)
};

// The linear congruential source: state = state * 214013 + 2531011, output bits 16..30.
class LinearCongruential {
public:
    void seed(std::uint32_t seed) { state_ = seed; }
    std::uint32_t next()
    {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFFu;
    }

private:
    std::uint32_t state_ = 0;
};

// Writes count values lowerBound + (r mod range), r the successive outputs of source.
void fillRandom(const RandomRange& range, LinearCongruential& source, float* values, std::size_t count);

// Why generation parameters are refused, with the message shown for each.
enum class GeneratorRefusal { NoObjects, EmptyRange, RangeOutOfBounds };
std::string_view refusalMessage(GeneratorRefusal refusal);

// Checks the parameters before anything is generated: at least one object, finite bounds whose
// truncations fit 32 bits, and trunc(min) <= trunc(max).
std::optional<GeneratorRefusal> checkGeneratorParameters(std::uint32_t objects, float min, float max);

// The process-wide generator: the random source and the seed of the previous generation, which
// a new generation never reuses.
class RandomSystemGenerator {
public:
    using Clock = std::function<std::uint32_t()>;

    // clock gives the calendar time in whole seconds; by default the system's.
    explicit RandomSystemGenerator(Clock clock = {});

    // Fills target with objects x (attributes + 1) whole numbers from trunc(min) to trunc(max).
    // Seeds with the clock, waiting for a second other than the last seed's, or with seed when
    // given. The parameters must pass checkGeneratorParameters. Throws std::bad_alloc, leaving
    // target as it was, when the table cannot be allocated.
    void generate(SystemDecyzyjny& target, std::uint32_t objects, std::uint32_t attributes, float min, float max,
                  std::optional<std::uint32_t> seed = std::nullopt);

    std::uint32_t lastSeed() const { return lastSeed_; }

private:
    Clock clock_;
    LinearCongruential source_;
    std::uint32_t lastSeed_ = 0;
};

} // namespace kolven
