#include "knn.h"

#include "knn_fast.h"
#include "knn_scoring.h"
#include "parallel_for.h"
#include "perf_timer.h"
#include "ratio.h"
#include "text_format.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kolven {

namespace {

// Keeps the decision classes of both tables for the length of one run, however it ends.
class RunClasses {
public:
    RunClasses(SystemDecyzyjny& training, SystemDecyzyjny& test) : training_(training), test_(test)
    {
        training_.buildDecisionClasses();
        try {
            test_.buildDecisionClasses();
        } catch (...) {
            training_.releaseDecisionClasses();
            throw;
        }
    }
    ~RunClasses()
    {
        training_.releaseDecisionClasses();
        test_.releaseDecisionClasses();
    }
    RunClasses(const RunClasses&) = delete;
    RunClasses& operator=(const RunClasses&) = delete;

private:
    SystemDecyzyjny& training_;
    SystemDecyzyjny& test_;
};

// k, lowered to the size of the smallest training class; 0 is taken as 1, as the k dialog does.
std::uint32_t lowerK(std::uint32_t k, const SystemDecyzyjny& training)
{
    k = std::max(k, 1u);
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        k = std::min(k, training.classSize(c));
    }
    return k;
}

struct Tally {
    std::uint32_t caught = 0;
    std::uint32_t correct = 0;
};

// What one thread needs: the scoring of up to kBatch consecutive test rows with its own work
// memory, a score per training class for each of them, and the counts of the rows it classified.
struct Worker {
    std::function<void(const float* rows, std::uint32_t count, float* scores)> score;
    std::vector<float> scores;
    Tally tally;
};

constexpr std::uint32_t kBatch = KnnFastScorer::kBatch;

// One worker per thread, all memory allocated here, before any thread starts.
std::vector<Worker> makeWorkers(std::size_t count, const SystemDecyzyjny& training, const SystemDecyzyjny& test,
                                std::uint32_t k, const KnnFastScorer* fast)
{
    std::vector<Worker> workers(count);
    const std::size_t rowLength = test.rowLength;
    const std::size_t classCount = training.classCount;
    for (Worker& worker : workers) {
        worker.scores.resize(kBatch * classCount);
        if (fast != nullptr) {
            auto scratch = std::make_shared<KnnFastScorer::Scratch>(fast->makeScratch());
            worker.score = [fast, scratch, rowLength](const float* rows, std::uint32_t rowCount, float* scores) {
                fast->classScores(rows, rowLength, rowCount, *scratch, scores);
            };
        } else {
            auto buffer = std::make_shared<std::vector<float>>(training.objectCount);
            worker.score = [&training, k, buffer, rowLength, classCount](const float* rows, std::uint32_t rowCount,
                                                                          float* scores) {
                for (std::uint32_t r = 0; r < rowCount; ++r) {
                    referenceClassScores(training, rows + r * rowLength, k, *buffer, scores + r * classCount);
                }
            };
        }
    }
    return workers;
}

// The test rows classified so far by all workers together, told to the run's progress, which
// also says when the workers should stop.
struct SharedCount {
    Progress& progress;
    std::uint32_t total;
    std::atomic<std::uint64_t> done{0};

    void add(std::uint32_t rows) { progress.report(0, done.fetch_add(rows, std::memory_order_relaxed) + rows, total); }
};

// Classifies the grouped test rows first to last - 1, or some of them when the run is cancelled.
void classifyRows(const SystemDecyzyjny& training, const SystemDecyzyjny& test, std::uint32_t first,
                  std::uint32_t last, Worker& worker, SharedCount& shared)
{
    for (std::uint32_t batch = first; batch < last && !shared.progress.cancelled(); batch += kBatch) {
        const std::uint32_t count = std::min(kBatch, last - batch);
        const float* rows = test.groupedRows.data() + std::size_t(batch) * test.rowLength;
        worker.score(rows, count, worker.scores.data());
        for (std::uint32_t r = 0; r < count; ++r) {
            const float* scores = worker.scores.data() + std::size_t(r) * training.classCount;
            const auto winner = uniqueMinimum(scores, training.classCount);
            if (winner) {
                ++worker.tally.caught;
                const float own = rows[std::size_t(r) * test.rowLength + test.attributeCount];
                worker.tally.correct += training.classDecision(*winner) == own ? 1 : 0;
            }
        }
        shared.add(count);
    }
}

// Splits the test rows into one contiguous share per worker and adds up their counts, which
// therefore do not depend on the number of workers. A thread that cannot be started leaves its
// share to the others.
Tally classifyAll(const SystemDecyzyjny& training, const SystemDecyzyjny& test, std::vector<Worker>& workers,
                  Progress& progress)
{
    SharedCount shared{progress, test.objectCount};
    const std::size_t count = workers.size();
    const auto shareStart = [&](std::size_t w) { return std::uint32_t(std::uint64_t(test.objectCount) * w / count); };
    parallelFor(std::uint32_t(count), unsigned(count), [&](std::uint32_t w, unsigned) {
        classifyRows(training, test, shareStart(w), shareStart(w + 1), workers[w], shared);
        return true;
    });
    Tally total;
    for (const Worker& worker : workers) {
        total.caught += worker.tally.caught;
        total.correct += worker.tally.correct;
    }
    return total;
}

// The number of threads a run uses: as asked (0: one per core), at most one per test object.
std::size_t threadCount(unsigned asked, std::uint32_t testObjects)
{
    return std::min<std::size_t>(workerThreads(asked), testObjects);
}

} // namespace

bool kNNv1::classifyTestSystem(Progress& progress)
{
    return classifyTestSystem(KnnScoring::Fast, 0, progress);
}

bool kNNv1::classifyTestSystem(KnnScoring scoring, unsigned threads, Progress& progress)
{
    if (objectCount == 0 || testSystem.objectCount == 0 || attributeCount != testSystem.attributeCount) {
        return false;
    }
    PerfTimer timer;
    timer.start();
    Tally tally;
    std::uint32_t lowered = 0;
    {
        RunClasses classes(*this, testSystem);
        lowered = lowerK(k, *this);
        std::optional<KnnFastScorer> fast;
        if (scoring == KnnScoring::Fast) {
            fast.emplace(*this, lowered);
        }
        auto workers = makeWorkers(threadCount(threads, testSystem.objectCount), *this, testSystem, lowered,
                                   fast ? &*fast : nullptr);
        tally = classifyAll(*this, testSystem, workers, progress);
    }
    if (progress.cancelled()) {
        return false;
    }
    k = lowered;
    testObjectCount = testSystem.objectCount;
    caughtCount = tally.caught;
    correctCount = tally.correct;
    // No caught object leaves nothing to be accurate about: 0 rather than 0 / 0.
    accuracy = countRatio(correctCount, caughtCount);
    coverage = countRatio(caughtCount, testObjectCount);
    elapsedSeconds = timer.stop();
    return true;
}

std::string classificationFiguresText(std::uint32_t testObjects, std::uint32_t caught, std::uint32_t correct,
                                      float accuracy, float coverage)
{
    std::string text = "\nIlosc obiektow systemu testowego: " + std::to_string(testObjects);
    text += "\nIlosc obiektow chwyconych: " + std::to_string(caught);
    text += "\nIlosc obiektow poprawnie sklasyfikowanych: " + std::to_string(correct);
    text += "\nTotal accuracy: ";
    appendFixed(text, accuracy, 3);
    text += "\nTotal coverage: ";
    appendFixed(text, coverage, 3);
    return text;
}

std::string knnResultsText(const kNNv1& knn)
{
    return "Parametr k = " + std::to_string(knn.k) +
           classificationFiguresText(knn.testObjectCount, knn.caughtCount, knn.correctCount, knn.accuracy,
                                     knn.coverage);
}

std::string knnReportText(const kNNv1& knn)
{
    return timedReport(knn.elapsedSeconds, knnResultsText(knn));
}

} // namespace kolven
