#include "normalization.h"

#include "table_rows.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kolven {
namespace {

// Fitted on the training table alone (a constant attribute only moves), applied to another table.
TEST(Normalization, RescalesByTheTrainingRangeOrMeanAndDeviation)
{
    const SystemDecyzyjny training = testing::tableOf(2, {{0, 5, 0}, {2, 5, 1}, {4, 5, 0}});
    SystemDecyzyjny test = testing::tableOf(2, {{6, 7, 1}});
    fitRescaling(training, Normalization::Range).applyInPlace(test);
    EXPECT_EQ(test.values, (std::vector<float>{1.5f, 2, 1}));
    test = testing::tableOf(2, {{6, 7, 1}});
    fitRescaling(training, Normalization::ZScore).applyInPlace(test);
    EXPECT_FLOAT_EQ(test.value(0, 0), float(4 / std::sqrt(8.0 / 3)));
    EXPECT_EQ(test.value(0, 1), 2);
    EXPECT_EQ(parseNormalization("zscore"), Normalization::ZScore);
    EXPECT_FALSE(parseNormalization("max"));
}

} // namespace
} // namespace kolven
