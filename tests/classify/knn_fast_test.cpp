#include "knn.h"
#include "knn_fast.h"
#include "knn_scoring.h"
#include "table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace kolven {
namespace {

// Random tables of the shapes where a faster scoring could go wrong: few distinct values (many
// equal distances), duplicate rows, conflicting decisions, -0 beside 0, one object, no
// attributes, classes longer than the distance blocks, values with full mantissas, and now and
// then an extreme value whose differences overflow to infinity or give NaN.
class RandomTables {
public:
    explicit RandomTables(std::uint32_t seed) : random_(seed) {}

    void fill(SystemDecyzyjny& target, std::uint32_t attributes, std::uint32_t objects, std::uint32_t decisions)
    {
        std::vector<std::vector<float>> rows;
        while (rows.size() < objects) {
            if (!rows.empty() && pick(5) == 0) {
                rows.push_back(rows[pick(std::uint32_t(rows.size()))]);
                continue;
            }
            rows.emplace_back();
            for (std::uint32_t a = 0; a < attributes; ++a) {
                rows.back().push_back(value());
            }
            const float decision = float(pick(decisions));
            rows.back().push_back(decision == 0 && pick(2) == 0 ? -0.0f : decision);
        }
        testing::fillTable(target, attributes, rows);
    }

    std::uint32_t pick(std::uint32_t count) { return std::uniform_int_distribution<std::uint32_t>(0, count - 1)(random_); }

private:
    float value()
    {
        constexpr float kMax = std::numeric_limits<float>::max();
        const std::uint32_t kind = pick(40);
        if (kind < 4) {
            const float extremes[] = {-0.0f, kMax, -kMax, pick(4) == 0 ? std::numeric_limits<float>::infinity() : 0.1f};
            return extremes[kind];
        }
        if (kind < 7) {
            return std::uniform_real_distribution<float>(-1000.0f, 1000.0f)(random_); // full mantissas
        }
        return float(int(pick(9)) - 4) / (pick(3) == 0 ? 3.0f : 1.0f);
    }

    std::mt19937 random_;
};

// Compares the fast scores with the reference for every test row and every usable k.
void expectSameScores(SystemDecyzyjny& training, SystemDecyzyjny& test)
{
    training.buildDecisionClasses();
    std::uint32_t smallest = 9;
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        smallest = std::min(smallest, training.classSize(c));
    }
    std::vector<float> buffer;
    std::vector<float> expected(training.classCount);
    std::vector<float> actual(KnnFastScorer::kBatch * training.classCount);
    constexpr KnnVectors kVectors[] = {KnnVectors::Widest, KnnVectors::Avx2, KnnVectors::Portable};
    constexpr const char* kVectorNames[] = {" widest", " AVX2", " portable"};
    for (std::uint32_t run = 0; run < 3 * smallest; ++run) {
        // Each k with the widest vectors the processor has, with AVX2 and with the portable ones.
        const std::uint32_t k = 1 + run / 3;
        const KnnFastScorer fast(training, k, kVectors[run % 3]);
        auto scratch = fast.makeScratch();
        // Batches of every size from one row up, so rows share the passes over the training.
        const std::uint32_t batch = 1 + run % KnnFastScorer::kBatch;
        for (std::uint32_t first = 0; first < test.objectCount; first += batch) {
            const std::uint32_t count = std::min(batch, test.objectCount - first);
            fast.classScores(test.row(first), test.rowLength, count, scratch, actual.data());
            for (std::uint32_t t = first; t < first + count; ++t) {
                referenceClassScores(training, test.row(t), k, buffer, expected.data());
                for (std::uint32_t c = 0; c < training.classCount; ++c) {
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(actual[(t - first) * training.classCount + c]),
                              std::bit_cast<std::uint32_t>(expected[c]))
                        << "k " << k << kVectorNames[run % 3] << ", test object " << t << ", class " << c;
                }
            }
        }
    }
    training.releaseDecisionClasses();
}

TEST(KnnFastScorer, GivesTheReferenceScoresBitForBitOnRandomTables)
{
    RandomTables tables(20240611);
    for (int round = 0; round < 3040 && !::testing::Test::HasFatalFailure(); ++round) {
        // Small tables, then tables whose classes are longer than the distance blocks.
        const bool small = round < 3000;
        const std::uint32_t attributes = small ? tables.pick(6) : 1 + tables.pick(20);
        const std::uint32_t decisions = 1 + tables.pick(small ? 4 : 3);
        const std::uint32_t trainingObjects = small ? 1 + tables.pick(30) : 60 + tables.pick(300);
        SystemDecyzyjny training;
        SystemDecyzyjny test;
        tables.fill(training, attributes, trainingObjects, decisions);
        tables.fill(test, attributes, 1 + tables.pick(small ? 8 : 20), decisions + 1);
        SCOPED_TRACE("round " + std::to_string(round));
        expectSameScores(training, test);
    }
}

// Objects around the test objects at distances that differ by a millionth, far less than the
// steps of the grid the whole-number prefilter puts them on, but more than float rounding: the
// grid orders them at random, so only its allowance for its own rounding keeps the nearest among
// the candidates, and any other object in their place changes the score. Beside them, test objects off the grid (far outside the training values) and a
// class packed so tightly, beside one distant object, that the grid cannot tell its objects apart.
TEST(KnnFastScorer, GivesTheReferenceScoresWhereTheGridCannotTellObjectsApart)
{
    std::mt19937 random(7);
    std::normal_distribution<double> direction;
    for (std::uint32_t round = 0; round < 24 && !::testing::Test::HasFatalFailure(); ++round) {
        const std::uint32_t attributes = 2 + round % 4;
        const double radius = round % 2 == 0 ? 0.25 : 3e-5;
        std::vector<std::vector<float>> rows;
        for (std::uint32_t i = 0; i < 420; ++i) {
            std::vector<double> toward(attributes);
            double length = 0;
            for (double& d : toward) {
                d = direction(random);
                length += d * d;
            }
            rows.emplace_back();
            for (const double d : toward) {
                rows.back().push_back(float(0.5 + radius * (1 + 1e-6 * (i + 1)) * d / std::sqrt(length)));
            }
            rows.back().push_back(float(i % 3));
        }
        if (round % 2 == 1) {
            rows.push_back(std::vector<float>(attributes + 1, 40.0f)); // one far object of class 0
            rows.back()[attributes] = 0;
        }
        SystemDecyzyjny training;
        testing::fillTable(training, attributes, rows);

        std::vector<std::vector<float>> tests{std::vector<float>(attributes + 1, 0.5f),
                                              std::vector<float>(attributes + 1, 0.5f + float(radius) / 3),
                                              std::vector<float>(attributes + 1, 0.5f)};
        tests[2][0] = 1e6f; // off the grid: the float prefilter
        SystemDecyzyjny test;
        testing::fillTable(test, attributes, tests);
        SCOPED_TRACE("round " + std::to_string(round));
        expectSameScores(training, test);
    }
}

// Many attributes make the grid's sums largest: test objects at the far ends of the grid (the
// widest range below the training values and twice it above) bring them near the top of 32 bits;
// test objects beyond those ends are summed in float.
TEST(KnnFastScorer, GivesTheReferenceScoresWithTheGridsSumsAtTheirLargest)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (const std::uint32_t attributes : {3u, 64u, 701u}) {
        std::vector<std::vector<float>> rows;
        for (std::uint32_t i = 0; i < 150; ++i) {
            rows.emplace_back();
            for (std::uint32_t a = 0; a < attributes; ++a) {
                rows.back().push_back(i == 0 ? 0.0f : i == 1 ? 1.0f : value(random));
            }
            rows.back().push_back(float(i % 2));
        }
        SystemDecyzyjny training;
        testing::fillTable(training, attributes, rows);
        std::vector<std::vector<float>> tests;
        for (const float end : {-1.0f, 2.0f, -0.99f, 1.99f, 3.0f, -2.0f}) {
            tests.emplace_back(attributes + 1, end);
            tests.emplace_back(attributes + 1, end);
            for (std::uint32_t a = 0; a < attributes; a += 2) {
                tests.back()[a] = 0.5f; // half the attributes at the end, half inside
            }
        }
        SystemDecyzyjny test;
        testing::fillTable(test, attributes, tests);
        SCOPED_TRACE(std::to_string(attributes) + " attributes");
        expectSameScores(training, test);
    }
}

// The float sums of squares the prefilter may compute, plain and fused, and the exactly rounded one.
struct SquareSums {
    float exact = 0;
    float plain = 0;
    float fused = 0;
};

SquareSums squareSums(const std::vector<float>& row)
{
    SquareSums sums;
    for (const float value : row) {
        sums.exact = float(double(sums.exact) + double(value) * double(value));
        volatile float square = value * value;
        sums.plain = sums.plain + square;
        sums.fused = std::fma(value, value, sums.fused);
    }
    return sums;
}

TEST(KnnSquareBound, CoversTheFloatSumOfEveryObjectNoFartherThanAnother)
{
    // x is nearer to the origin than y, yet summed in plain float its squares exceed y's: the fast
    // scorer must still give x its exact distance when y alone has the smallest float sum. (Where
    // the scorer sums with fused multiply-add, its sums differ from the exact ones only by double
    // rounding, and no such pair is known.)
    const std::vector<float> x{0x1.4dbc6cp-1f, 0x1.8a075p+0f, 0x1.145a8ap+0f};
    const std::vector<float> y{0x1.aac22p+0f, 0x1.4ae424p-1f, 0x1.bf1facp-1f};
    const float origin[] = {0, 0, 0};
    ASSERT_LT(knnDistance(x.data(), origin, 3), knnDistance(y.data(), origin, 3));
    ASSERT_GT(squareSums(x).plain, squareSums(y).plain);
    EXPECT_GE(KnnSquareBound(3)(squareSums(y).plain), squareSums(x).plain);
    SystemDecyzyjny training;
    SystemDecyzyjny test;
    testing::fillTable(training, 3, {{y[0], y[1], y[2], 1}, {x[0], x[1], x[2], 1}});
    testing::fillTable(test, 3, {{0, 0, 0, 1}});
    expectSameScores(training, test);

    // Random objects of full mantissas, some tiny enough for subnormal squares: for each object,
    // the largest float sum among the objects no farther than it stays within its bound.
    std::mt19937 random(99);
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    const KnnSquareBound bound(20);
    std::vector<SquareSums> objects;
    for (int i = 0; i < 3000; ++i) {
        std::vector<float> row(20);
        for (float& v : row) {
            v = value(random) * (i % 3 == 0 ? 0x1p-70f : 1.0f);
        }
        objects.push_back(squareSums(row));
    }
    std::sort(objects.begin(), objects.end(), [](const SquareSums& a, const SquareSums& b) { return a.exact < b.exact; });
    SquareSums largest;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        for (std::size_t j = i; j < objects.size() && objects[j].exact == objects[i].exact; ++j) {
            largest.plain = std::max(largest.plain, objects[j].plain);
            largest.fused = std::max(largest.fused, objects[j].fused);
        }
        EXPECT_LE(largest.plain, bound(objects[i].plain)) << i;
        EXPECT_LE(largest.fused, bound(objects[i].fused)) << i;
    }
    EXPECT_EQ(bound(0x1p121f), std::numeric_limits<float>::infinity());
}

TEST(KnnClassifier, CountsTheSameWithEitherScoringOnAnyNumberOfThreads)
{
    RandomTables tables(5);
    for (int round = 0; round < 150; ++round) {
        const std::uint32_t attributes = tables.pick(5);
        kNNv1 reference;
        tables.fill(reference, attributes, 1 + tables.pick(150), 1 + tables.pick(3));
        tables.fill(reference.testSystem, attributes, 1 + tables.pick(40), 4);
        const std::uint32_t requestedK = 1 + tables.pick(4);
        reference.k = requestedK;
        kNNv1 fast;
        fast.copyFrom(reference);
        fast.testSystem.copyFrom(reference.testSystem);
        ASSERT_TRUE(reference.classifyTestSystem(KnnScoring::Reference, 1));
        for (const unsigned threads : {1u, 2u, 3u, 0u}) {
            fast.k = requestedK;
            ASSERT_TRUE(fast.classifyTestSystem(KnnScoring::Fast, threads));
            // The text shows k and the counts, from which the two figures follow exactly.
            EXPECT_EQ(knnResultsText(fast), knnResultsText(reference)) << "round " << round << ", threads " << threads;
        }
    }
}

} // namespace
} // namespace kolven
