#include "knn.h"
#include "knn_scoring.h"
#include "knn_tables.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::fillTable;

// A classifier over the given training and test rows (condition values, then the decision).
struct Knn {
    Knn(std::uint32_t attributes, const std::vector<std::vector<float>>& training,
        const std::vector<std::vector<float>>& test, std::uint32_t k)
    {
        fillTable(knn, attributes, training);
        fillTable(knn.testSystem, attributes, test);
        knn.k = k;
    }
    kNNv1 knn;
};

// The class scores of one test row by the reference, with k lowered as a run lowers it.
std::vector<float> scoresOf(SystemDecyzyjny& training, const std::vector<float>& testRow, std::uint32_t k)
{
    training.buildDecisionClasses();
    std::vector<float> buffer;
    std::vector<float> scores(training.classCount);
    referenceClassScores(training, testRow.data(), k, buffer, scores.data());
    training.releaseDecisionClasses();
    return scores;
}

TEST(KnnDistance, RoundsEachStepAsTheClassifierDefinesIt)
{
    // Summing in float, squaring in float, subtracting in double or keeping the sum in double
    // each give a different last bit here.
    const float test[] = {0x1.86157p+8f, 0x1.925f78p+2f, 0x1.0e135p+8f};
    const float training[] = {0x1.5941d6p-1f, 0, 0};
    EXPECT_EQ(std::bit_cast<std::uint32_t>(knnDistance(test, training, 3)),
              std::bit_cast<std::uint32_t>(0x1.d9f0ep+8f));

    // The attributes are added in their order: the other order rounds differently.
    const float forward[] = {0x1.fd72p+9f, 0x1.f3ap+1f};
    const float backward[] = {0x1.f3ap+1f, 0x1.fd72p+9f};
    const float origin[] = {0, 0};
    EXPECT_EQ(knnDistance(forward, origin, 2), 0x1.fd72f6p+9f);
    EXPECT_EQ(knnDistance(backward, origin, 2), 0x1.fd72f4p+9f);
}

TEST(KnnDistance, IsEuclideanWithoutScalingAndZeroWithoutAttributes)
{
    const float a[] = {1, 2, 100};
    const float b[] = {4, -2, 100};
    EXPECT_EQ(knnDistance(a, b, 3), 5.0f);
    EXPECT_EQ(knnDistance(b, a, 3), 5.0f);
    EXPECT_EQ(knnDistance(a, b, 0), 0.0f);
    EXPECT_FALSE(std::signbit(knnDistance(a, a, 3)));
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
    const float lastWins[] = {3, 2, 1};
    EXPECT_EQ(uniqueMinimum(lastWins, 3), 2u);
    const float tie[] = {1, 2, 1};
    EXPECT_EQ(uniqueMinimum(tie, 3), std::nullopt);
    const float tieBroken[] = {2, 2, 1};
    EXPECT_EQ(uniqueMinimum(tieBroken, 3), 2u);
    const float tieAboveMinimum[] = {1, 2, 2};
    EXPECT_EQ(uniqueMinimum(tieAboveMinimum, 3), 0u);
    const float zeros[] = {0, -0.0f};
    EXPECT_EQ(uniqueMinimum(zeros, 2), std::nullopt);
    const float single[] = {7};
    EXPECT_EQ(uniqueMinimum(single, 1), 0u);
}

TEST(KnnClassifier, WithOneTrainingClassCatchesEveryTestObject)
{
    Knn run(1, {{0, 5}, {10, 5}, {20, 5}}, {{1, 5}, {100, 5}, {-3, 7}}, 2);
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(run.knn.caughtCount, 3u);
    EXPECT_EQ(run.knn.correctCount, 2u) << "a decision absent from training is caught, never correct";
    EXPECT_EQ(run.knn.coverage, 1.0f);
    EXPECT_NE(knnResultsText(run.knn).find("Total coverage: 1.000"), std::string::npos);
}

TEST(KnnClassifier, LowersKToTheSmallestClassAndKeepsIt)
{
    std::vector<std::vector<float>> training{{0, 1}, {1, 1}, {2, 1}};
    for (int i = 0; i < 10; ++i) {
        training.push_back({float(50 + i), 2});
    }
    Knn run(1, training, {{1, 1}, {55, 2}}, 5);
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(run.knn.k, 3u);
    EXPECT_EQ(knnResultsText(run.knn).substr(0, 15), "Parametr k = 3\n");

    // A later run on larger classes starts from the lowered k.
    fillTable(run.knn, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {50, 2}, {51, 2}, {52, 2}, {53, 2}});
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(run.knn.k, 3u);

    run.knn.k = 0;
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(run.knn.k, 1u) << "0 is taken as 1";
}

TEST(KnnClassifier, CountsFurtherNeighboursBesidesAnExactMatch)
{
    // The test object equals a class-1 object, but that class's second neighbour is far away.
    const std::vector<std::vector<float>> training{{0, 1}, {10, 1}, {3, 2}, {-3, 2}};
    Knn two(1, training, {{0, 1}}, 2);
    ASSERT_TRUE(two.knn.classifyTestSystem());
    EXPECT_EQ(two.knn.caughtCount, 1u);
    EXPECT_EQ(two.knn.correctCount, 0u);

    Knn one(1, training, {{0, 1}}, 1);
    ASSERT_TRUE(one.knn.classifyTestSystem());
    EXPECT_EQ(one.knn.correctCount, 1u);
}

TEST(KnnClassifier, LeavesObjectsWithTiedScoresUncaught)
{
    Knn run(2, {{0, 0, 1}, {2, 2, 2}}, {{1, 1, 1}, {0, 0.5f, 1}}, 1);
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(run.knn.caughtCount, 1u);
    EXPECT_EQ(run.knn.correctCount, 1u);
    EXPECT_EQ(run.knn.accuracy, 1.0f);
    EXPECT_EQ(run.knn.coverage, 0.5f);

    // Scores that tie only when the small distances are added first: 1 + 2^-24 + 2^-24 against
    // 0 + 2^-23 + 1.
    Knn exact(1, {{1, 1}, {0x1p-24f, 1}, {-0x1p-24f, 1}, {1, 2}, {0x1p-23f, 2}, {0, 2}}, {{0, 1}}, 3);
    ASSERT_TRUE(exact.knn.classifyTestSystem());
    EXPECT_EQ(exact.knn.caughtCount, 0u);
}

TEST(KnnClassifier, WithoutConditionAttributesCatchesOnlyWithOneClass)
{
    Knn two(0, {{1}, {2}, {2}}, {{1}, {2}}, 1);
    ASSERT_TRUE(two.knn.classifyTestSystem());
    EXPECT_EQ(two.knn.caughtCount, 0u);
    EXPECT_EQ(two.knn.correctCount, 0u);
    EXPECT_EQ(two.knn.accuracy, 0.0f) << "no caught object gives accuracy 0, not 0 / 0";
    EXPECT_NE(knnResultsText(two.knn).find("Total accuracy: 0.000\nTotal coverage: 0.000"), std::string::npos);

    Knn one(0, {{1}, {1}}, {{1}, {2}, {1}}, 2);
    ASSERT_TRUE(one.knn.classifyTestSystem());
    EXPECT_EQ(one.knn.caughtCount, 3u);
    EXPECT_EQ(one.knn.correctCount, 2u);
}

TEST(KnnClassifier, ComparesDecisionsAsExactFloats)
{
    Knn run(1, {{0, 0}, {10, 1}}, {{1, -0.0f}, {9, 1.0000001f}, {8, 1}}, 1);
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(run.knn.caughtCount, 3u);
    EXPECT_EQ(run.knn.correctCount, 2u) << "-0 is the decision 0; 1.0000001 is not 1";
}

TEST(KnnClassifier, WritesTheSixResultLines)
{
    // Single-object classes at 0 and 10 with k = 1: six objects near 0 with decision 0 are
    // right, two near 0 with decision 1 are wrong, two midway are tied.
    std::vector<std::vector<float>> test;
    for (int i = 0; i < 6; ++i) {
        test.push_back({float(i) / 4, 0});
    }
    test.insert(test.end(), {{1, 1}, {2, 1}, {5, 0}, {5, 1}});
    Knn run(1, {{0, 0}, {10, 1}}, test, 1);
    ASSERT_TRUE(run.knn.classifyTestSystem());
    EXPECT_EQ(knnResultsText(run.knn), "Parametr k = 1\n"
                                       "Ilosc obiektow systemu testowego: 10\n"
                                       "Ilosc obiektow chwyconych: 8\n"
                                       "Ilosc obiektow poprawnie sklasyfikowanych: 6\n"
                                       "Total accuracy: 0.750\n"
                                       "Total coverage: 0.800");

    run.knn.elapsedSeconds = 0.5;
    EXPECT_EQ(knnReportText(run.knn), "Czas wykonania zadania: 0.500000000000s\r\n"
                                      "Parametr k = 1\r\n"
                                      "Ilosc obiektow systemu testowego: 10\r\n"
                                      "Ilosc obiektow chwyconych: 8\r\n"
                                      "Ilosc obiektow poprawnie sklasyfikowanych: 6\r\n"
                                      "Total accuracy: 0.750\r\n"
                                      "Total coverage: 0.800\r\n");

    // The run's decision classes are gone with it.
    EXPECT_TRUE(run.knn.groupedRows.empty());
    EXPECT_TRUE(run.knn.testSystem.classStarts.empty());

    // The text keeps the run's test count when the test table is replaced afterwards.
    fillTable(run.knn.testSystem, 1, {{1, 0}});
    EXPECT_NE(knnResultsText(run.knn).find("systemu testowego: 10\n"), std::string::npos);
}

TEST(KnnClassifier, RefusesMismatchedOrEmptyTablesChangingNothing)
{
    Knn run(2, {{0, 0, 1}, {5, 5, 2}}, {{0, 0, 1}}, 7);
    run.knn.caughtCount = 11;
    run.knn.correctCount = 12;
    run.knn.accuracy = 0.25f;
    run.knn.coverage = 0.5f;
    run.knn.elapsedSeconds = 3;
    run.knn.testObjectCount = 13;
    const auto unchanged = [&run] {
        EXPECT_EQ(run.knn.k, 7u);
        EXPECT_EQ(run.knn.caughtCount, 11u);
        EXPECT_EQ(run.knn.correctCount, 12u);
        EXPECT_EQ(run.knn.accuracy, 0.25f);
        EXPECT_EQ(run.knn.coverage, 0.5f);
        EXPECT_EQ(run.knn.elapsedSeconds, 3);
        EXPECT_EQ(run.knn.testObjectCount, 13u);
        EXPECT_EQ(run.knn.classCount, 0u);
        EXPECT_TRUE(run.knn.groupedRows.empty());
    };

    fillTable(run.knn.testSystem, 1, {{0, 1}});
    EXPECT_FALSE(run.knn.classifyTestSystem()) << "fewer test attributes";
    unchanged();
    fillTable(run.knn.testSystem, 3, {{0, 0, 0, 1}});
    EXPECT_FALSE(run.knn.classifyTestSystem()) << "more test attributes";
    unchanged();
    run.knn.testSystem = SystemDecyzyjny();
    EXPECT_FALSE(run.knn.classifyTestSystem()) << "no test table";
    unchanged();
    fillTable(run.knn.testSystem, 2, {{0, 0, 1}});
    kNNv1 empty;
    empty.testSystem.copyFrom(run.knn.testSystem);
    EXPECT_FALSE(empty.classifyTestSystem()) << "no training table";
}

} // namespace
} // namespace kolven
