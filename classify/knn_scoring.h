#pragma once

#include "decision_system.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kolven {

// One step of knnDistance: sum with the square of testValue - trainingValue added, the difference
// rounded to float, the addition done in double and rounded to float.
inline float withSquareAdded(float sum, float testValue, float trainingValue)
{
    const auto difference = static_cast<double>(testValue - trainingValue);
    return static_cast<float>(static_cast<double>(sum) + difference * difference);
}

// The root of a sum of squares as knnDistance takes it: in double, rounded to float.
inline float rootOf(float sum)
{
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

// The distance between two rows over their first attributeCount values: each difference rounded
// to float, its square added to the float sum in double precision and the sum rounded to float
// after every attribute, then the square root taken in double and rounded to float.
float knnDistance(const float* testRow, const float* trainingRow, std::uint32_t attributeCount);
// The same distance to a training object whose attribute a is trainingValues[a * trainingStride].
float knnDistance(const float* testRow, const float* trainingValues, std::size_t trainingStride,
                  std::uint32_t attributeCount);

// The class whose score alone is the smallest (scores compared from class 0 upwards; an equal
// score makes the minimum shared until a smaller one appears). nullopt when it is shared.
std::optional<std::uint32_t> uniqueMinimum(const float* scores, std::uint32_t classCount);

// The straightforward scoring, kept as the reference for faster ways. For every decision class
// of training (which must be built, with k between 1 and its smallest class) writes to scores[c]
// the sum, in float and in ascending order, of the k smallest distances from testRow to the
// class's objects, found by insertion into buffer (resized to the training object count).
void referenceClassScores(const SystemDecyzyjny& training, const float* testRow, std::uint32_t k,
                          std::vector<float>& buffer, float* scores);

} // namespace kolven
