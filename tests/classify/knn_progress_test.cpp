#include "counting_progress.h"
#include "knn.h"
#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace kolven::testing {
namespace {

TEST(KnnProgress, CountsTestObjectsOnEveryThreadAndACancelledRunKeepsTheEarlierResults)
{
    kNNv1 knn;
    ASSERT_TRUE(readTab(dataFile("segment-challenge.tab"), knn));
    ASSERT_TRUE(readTab(dataFile("segment-test.tab"), knn.testSystem));
    knn.k = 3;
    for (unsigned threads : {1u, 2u}) {
        CountingProgress watched;
        ASSERT_TRUE(knn.classifyTestSystem(KnnScoring::Fast, threads, watched));
        EXPECT_EQ(watched.maxDone, 810u);
        EXPECT_EQ(watched.lastTotal, 810u);
    }
    const std::string before = knnReportText(knn);

    for (std::uint64_t stopAfter : {0, 1, 20}) {
        knn.k = 1000; // a finished run would lower it to the smallest class
        CountingProgress stopping(stopAfter);
        EXPECT_FALSE(knn.classifyTestSystem(KnnScoring::Reference, 2, stopping));
        EXPECT_EQ(knn.k, 1000u);
        knn.k = 3;
        EXPECT_EQ(knnReportText(knn), before);
    }
}

} // namespace
} // namespace kolven::testing
