#include "perf_timer.h"

#include <gtest/gtest.h>

namespace kolven {
namespace {

PerfTimer::Samples samples(std::initializer_list<std::uint32_t> values)
{
    PerfTimer::Samples result{};
    std::copy(values.begin(), values.end(), result.begin());
    return result;
}

TEST(PerfTimerCalibration, TakesTheMostFrequentDifference)
{
    PerfTimer::Samples equal{};
    equal.fill(42);
    EXPECT_EQ(PerfTimer::calibrate(equal), 42u);
    EXPECT_EQ(PerfTimer::calibrate(samples({3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4})), 3u);
    EXPECT_EQ(PerfTimer::calibrate(samples({1, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6})), 6u);
}

TEST(PerfTimerCalibration, ATieGoesToTheValueSeenFirst)
{
    EXPECT_EQ(PerfTimer::calibrate(samples({5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 7, 7})), 5u);
    EXPECT_EQ(PerfTimer::calibrate(samples({2, 5, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 5, 2, 7, 7})), 2u);
}

TEST(PerfTimerCalibration, ZerosCountOnlyWhenTheFirstSampleIsZero)
{
    EXPECT_EQ(PerfTimer::calibrate(samples({9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})), 9u);
    EXPECT_EQ(PerfTimer::calibrate(samples({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1})), 0u);
}

TEST(PerfTimer, MeasuresANonNegativeDurationAndRecalibratesEachTask)
{
    PerfTimer timer;
    for (int task = 0; task < 3; ++task) {
        timer.start();
        const double seconds = timer.stop();
        EXPECT_GE(seconds, 0.0);
        EXPECT_LT(seconds, 1.0) << "an empty task never shows a wrapped-around duration";
    }
}

} // namespace
} // namespace kolven
