#include "knn_scoring.h"

#include <cmath>

namespace kolven {

float knnDistance(const float* testRow, const float* trainingRow, std::uint32_t attributeCount)
{
    return knnDistance(testRow, trainingRow, 1, attributeCount);
}

float knnDistance(const float* testRow, const float* trainingValues, std::size_t trainingStride,
                  std::uint32_t attributeCount)
{
    float sum = 0;
    for (std::uint32_t a = 0; a < attributeCount; ++a) {
        sum = withSquareAdded(sum, testRow[a], trainingValues[a * trainingStride]);
    }
    return rootOf(sum);
}

std::optional<std::uint32_t> uniqueMinimum(const float* scores, std::uint32_t classCount)
{
    std::uint32_t minimum = 0;
    bool unique = true;
    for (std::uint32_t c = 1; c < classCount; ++c) {
        if (scores[c] < scores[minimum]) {
            minimum = c;
            unique = true;
        } else if (scores[c] == scores[minimum]) {
            unique = false;
        }
    }
    if (!unique) {
        return std::nullopt;
    }
    return minimum;
}

namespace {

// Inserts distance among the first filled entries of buffer, which stay ascending: it goes
// before the first entry that is greater than or equal to it.
void insertAscending(float* buffer, std::size_t filled, float distance)
{
    std::size_t place = 0;
    while (place < filled && !(buffer[place] >= distance)) {
        ++place;
    }
    for (std::size_t i = filled; i > place; --i) {
        buffer[i] = buffer[i - 1];
    }
    buffer[place] = distance;
}

} // namespace

void referenceClassScores(const SystemDecyzyjny& training, const float* testRow, std::uint32_t k,
                          std::vector<float>& buffer, float* scores)
{
    buffer.resize(training.objectCount);
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const float* rows = training.classRows(c);
        const std::uint32_t size = training.classSize(c);
        for (std::uint32_t i = 0; i < size; ++i) {
            const float* trainingRow = rows + std::size_t(i) * training.rowLength;
            insertAscending(buffer.data(), i, knnDistance(testRow, trainingRow, training.attributeCount));
        }
        float score = 0;
        for (std::uint32_t i = 0; i < k; ++i) {
            score += buffer[i];
        }
        scores[c] = score;
    }
}

} // namespace kolven
