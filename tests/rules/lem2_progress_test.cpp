#include "counting_progress.h"
#include "lem2.h"
#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace kolven::testing {
namespace {

TEST(Lem2Progress, CountsDecisionClassesAndACancelledRunKeepsTheEarlierRules)
{
    LEM2v1 lem2;
    ASSERT_TRUE(readTab(dataFile("segment-challenge.tab"), lem2));
    CountingProgress watched;
    ASSERT_TRUE(lem2.runLem2(watched));
    EXPECT_EQ(watched.lastTotal, 7u); // the table's decision classes
    EXPECT_EQ(watched.maxDone, 6u);   // told before each class
    const std::string before = lem2ExportText(lem2);

    for (std::uint64_t stopAfter : {0, 1, 4}) {
        CountingProgress stopping(stopAfter);
        EXPECT_FALSE(lem2.runLem2(stopping));
        EXPECT_FALSE(lem2.runLem2Reference(stopping));
        EXPECT_EQ(lem2ExportText(lem2), before);
    }
}

} // namespace
} // namespace kolven::testing
