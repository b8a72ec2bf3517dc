#pragma once

#include <cstdint>

namespace kolven {

// part / whole in single precision, each count converted to float and the quotient rounded to
// float, as the classifiers report accuracy and coverage; 0 when whole is 0 (nothing to measure).
inline float countRatio(std::uint32_t part, std::uint32_t whole)
{
    return whole == 0 ? 0.0f : static_cast<float>(part) / static_cast<float>(whole);
}

} // namespace kolven
