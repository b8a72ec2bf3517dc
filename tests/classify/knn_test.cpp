#include "counting_progress.h"
#include "knn.h"
#include "knn_scoring.h"
#include "table_files.h"
#include "table_rows.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace kolven {
namespace {

using testing::fillTable;
using testing::Rows;

// A classifier over training and test rows (condition values, then the decision), run once.
kNNv1 classified(std::uint32_t attributes, const Rows& training, const Rows& test, std::uint32_t k)
{
    kNNv1 knn;
    fillTable(knn, attributes, training);
    fillTable(knn.testSystem, attributes, test);
    knn.k = k;
    EXPECT_TRUE(knn.classifyTestSystem());
    return knn;
}

// The class scores of one test row by the reference.
std::vector<float> scoresOf(SystemDecyzyjny& training, const std::vector<float>& testRow, std::uint32_t k)
{
    training.buildDecisionClasses();
    std::vector<float> buffer;
    std::vector<float> scores(training.classCount);
    referenceClassScores(training, testRow.data(), k, buffer, scores.data());
    training.releaseDecisionClasses();
    return scores;
}

TEST(KnnDistance, IsEuclideanRoundingEachStepAsTheClassifierDefinesIt)
{
    const float a[] = {1, 2, 100};
    const float b[] = {4, -2, 100};
    EXPECT_EQ(knnDistance(a, b, 3), 5.0f);
    EXPECT_EQ(knnDistance(a, b, 0), 0.0f);
    EXPECT_FALSE(std::signbit(knnDistance(a, a, 3)));
    // Summing in float, squaring in float, subtracting in double or keeping the sum in double
    // each give a different last bit here.
    const float test[] = {0x1.86157p+8f, 0x1.925f78p+2f, 0x1.0e135p+8f};
    const float training[] = {0x1.5941d6p-1f, 0, 0};
    EXPECT_EQ(std::bit_cast<std::uint32_t>(knnDistance(test, training, 3)), std::bit_cast<std::uint32_t>(0x1.d9f0ep+8f));
    // The attributes are added in their order: the other order rounds differently.
    const float forward[] = {0x1.fd72p+9f, 0x1.f3ap+1f};
    const float backward[] = {0x1.f3ap+1f, 0x1.fd72p+9f};
    const float origin[] = {0, 0};
    EXPECT_EQ(knnDistance(forward, origin, 2), 0x1.fd72f6p+9f);
    EXPECT_EQ(knnDistance(backward, origin, 2), 0x1.fd72f4p+9f);
}

TEST(KnnScores, AddTheKSmallestDistancesOfEachClassInAscendingOrder)
{
    SystemDecyzyjny training;
    // Class 1 in an unsorted order; class 2 has exactly k objects, so all its distances count.
    fillTable(training, 1, {{9, 1}, {-2, 1}, {4, 1}, {-1, 1}, {7, 2}, {-3, 2}});
    EXPECT_EQ(scoresOf(training, {0}, 2), (std::vector<float>{3, 10}));
    EXPECT_EQ(scoresOf(training, {0}, 1), (std::vector<float>{1, 3}));
    // 1 + 2^-24 + 2^-24 is 1 + 2^-23 only when the small distances are added first.
    fillTable(training, 1, {{1, 0}, {0x1p-24f, 0}, {-0x1p-24f, 0}});
    EXPECT_EQ(scoresOf(training, {0}, 3), (std::vector<float>{1 + 0x1p-23f}));
}

TEST(KnnWinner, IsTheUniqueSmallestScore)
{
    struct Case {
        std::vector<float> scores;
        std::optional<std::uint32_t> winner;
    };
    for (const Case& c : {Case{{3, 2, 1}, 2u}, Case{{1, 2, 1}, std::nullopt}, Case{{2, 2, 1}, 2u},
                          Case{{1, 2, 2}, 0u}, Case{{0, -0.0f}, std::nullopt}, Case{{7}, 0u}}) {
        EXPECT_EQ(uniqueMinimum(c.scores.data(), std::uint32_t(c.scores.size())), c.winner) << c.scores[0];
    }
}

TEST(KnnClassifier, CatchesUniqueWinnersAndComparesDecisionsAsExactFloats)
{
    // A decision absent from training is caught, never correct; -0 is the decision 0, 1.0000001 is not 1.
    kNNv1 one = classified(1, {{0, 5}, {10, 5}, {20, 5}}, {{1, 5}, {100, 5}, {-3, 7}}, 2);
    EXPECT_EQ(one.caughtCount, 3u);
    EXPECT_EQ(one.correctCount, 2u);
    kNNv1 exact = classified(1, {{0, 0}, {10, 1}}, {{1, -0.0f}, {9, 1.0000001f}, {8, 1}}, 1);
    EXPECT_EQ(exact.correctCount, 2u);
    // The test object equals a class-1 object, but that class's second neighbour is far away.
    const Rows training{{0, 1}, {10, 1}, {3, 2}, {-3, 2}};
    EXPECT_EQ(classified(1, training, {{0, 1}}, 2).correctCount, 0u);
    EXPECT_EQ(classified(1, training, {{0, 1}}, 1).correctCount, 1u);
    // Tied scores leave an object uncaught, also when they tie only when the small distances are
    // added first: 1 + 2^-24 + 2^-24 against 0 + 2^-23 + 1.
    kNNv1 tied = classified(2, {{0, 0, 1}, {2, 2, 2}}, {{1, 1, 1}, {0, 0.5f, 1}}, 1);
    EXPECT_EQ(tied.caughtCount, 1u);
    EXPECT_EQ(tied.coverage, 0.5f);
    EXPECT_EQ(classified(1, {{1, 1}, {0x1p-24f, 1}, {-0x1p-24f, 1}, {1, 2}, {0x1p-23f, 2}, {0, 2}}, {{0, 1}}, 3).caughtCount, 0u);
}

TEST(KnnClassifier, LowersKToTheSmallestClassAndKeepsIt)
{
    Rows training{{0, 1}, {1, 1}, {2, 1}};
    for (int i = 0; i < 10; ++i) {
        training.push_back({float(50 + i), 2});
    }
    kNNv1 knn = classified(1, training, {{1, 1}, {55, 2}}, 5);
    EXPECT_EQ(knn.k, 3u);
    // A later run on larger classes starts from the lowered k.
    fillTable(knn, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {50, 2}, {51, 2}, {52, 2}, {53, 2}});
    ASSERT_TRUE(knn.classifyTestSystem());
    EXPECT_EQ(knn.k, 3u);
    knn.k = 0;
    ASSERT_TRUE(knn.classifyTestSystem());
    EXPECT_EQ(knn.k, 1u) << "0 is taken as 1";
}

TEST(KnnClassifier, WithoutConditionAttributesCatchesOnlyWithOneClass)
{
    const kNNv1 two = classified(0, {{1}, {2}, {2}}, {{1}, {2}}, 1);
    EXPECT_EQ(two.caughtCount, 0u);
    EXPECT_EQ(two.accuracy, 0.0f) << "no caught object gives accuracy 0, not 0 / 0";
    EXPECT_NE(knnResultsText(two).find("Total accuracy: 0.000\nTotal coverage: 0.000"), std::string::npos);
    const kNNv1 one = classified(0, {{1}, {1}}, {{1}, {2}, {1}}, 2);
    EXPECT_EQ(one.caughtCount, 3u);
    EXPECT_EQ(one.correctCount, 2u);
}

TEST(KnnClassifier, WritesTheSixResultLines)
{
    // Single-object classes at 0 and 10 with k = 1: six objects near 0 with decision 0 are
    // right, two near 0 with decision 1 are wrong, two midway are tied.
    const Rows test{{0, 0}, {0.25f, 0}, {0.5f, 0}, {0.75f, 0}, {1, 0}, {1.25f, 0}, {1, 1}, {2, 1}, {5, 0}, {5, 1}};
    kNNv1 knn = classified(1, {{0, 0}, {10, 1}}, test, 1);
    knn.elapsedSeconds = 0.5;
    EXPECT_EQ(knnReportText(knn), "Czas wykonania zadania: 0.500000000000s\r\n"
                                  "Parametr k = 1\r\n"
                                  "Ilosc obiektow systemu testowego: 10\r\n"
                                  "Ilosc obiektow chwyconych: 8\r\n"
                                  "Ilosc obiektow poprawnie sklasyfikowanych: 6\r\n"
                                  "Total accuracy: 0.750\r\n"
                                  "Total coverage: 0.800\r\n");
    EXPECT_EQ(knnResultsText(knn).find('\r'), std::string::npos) << "the window's text has plain line ends";
    // The run's decision classes are gone with it.
    EXPECT_TRUE(knn.groupedRows.empty());
    EXPECT_TRUE(knn.testSystem.classStarts.empty());
    // The text keeps the run's test count when the test table is replaced afterwards.
    fillTable(knn.testSystem, 1, {{1, 0}});
    EXPECT_NE(knnResultsText(knn).find("systemu testowego: 10\n"), std::string::npos);
}

TEST(KnnClassifier, RefusesMismatchedOrEmptyTablesChangingNothing)
{
    kNNv1 knn = classified(2, {{0, 0, 1}, {5, 5, 2}}, {{0, 0, 1}}, 7);
    knn.k = 7;
    knn.caughtCount = 11;
    knn.accuracy = 0.25f;
    knn.elapsedSeconds = 3;
    const auto outcome = [&knn] { return std::tuple{knn.k, knn.caughtCount, knn.accuracy, knn.elapsedSeconds, knn.testObjectCount}; };
    const auto before = outcome();
    for (const Rows& test : {Rows{{0, 1}}, Rows{{0, 0, 0, 1}}, Rows{}}) {
        fillTable(knn.testSystem, std::uint32_t(test.empty() ? 2 : test[0].size() - 1), test);
        EXPECT_FALSE(knn.classifyTestSystem()) << test.size();
        EXPECT_EQ(outcome(), before);
        EXPECT_TRUE(knn.groupedRows.empty());
    }
    kNNv1 empty;
    fillTable(empty.testSystem, 2, {{0, 0, 1}});
    EXPECT_FALSE(empty.classifyTestSystem()) << "no training table";
}

TEST(KnnProgress, CountsTestObjectsOnEveryThreadAndACancelledRunKeepsTheEarlierResults)
{
    kNNv1 knn;
    ASSERT_TRUE(readTab(testing::dataFile("segment-challenge.tab"), knn));
    ASSERT_TRUE(readTab(testing::dataFile("segment-test.tab"), knn.testSystem));
    knn.k = 3;
    for (unsigned threads : {1u, 2u}) {
        testing::CountingProgress watched;
        ASSERT_TRUE(knn.classifyTestSystem(KnnScoring::Fast, threads, watched));
        EXPECT_EQ(watched.maxDone, 810u);
        EXPECT_EQ(watched.lastTotal, 810u);
    }
    const std::string before = knnReportText(knn);

    for (std::uint64_t stopAfter : {0, 1, 20}) {
        knn.k = 1000; // a finished run would lower it to the smallest class
        testing::CountingProgress stopping(stopAfter);
        EXPECT_FALSE(knn.classifyTestSystem(KnnScoring::Reference, 2, stopping));
        EXPECT_EQ(knn.k, 1000u);
        knn.k = 3;
        EXPECT_EQ(knnReportText(knn), before);
    }
}

} // namespace
} // namespace kolven
