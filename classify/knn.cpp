#include "knn.h"

#include "knn_scoring.h"
#include "perf_timer.h"
#include "text_format.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kolven {

namespace {

// Keeps the decision classes of both tables for the length of one run, however it ends.
class RunClasses {
public:
    RunClasses(SystemDecyzyjny& training, SystemDecyzyjny& test) : training_(training), test_(test)
    {
        training_.buildDecisionClasses();
        test_.buildDecisionClasses();
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

// Classifies every grouped test row by the reference scores.
Tally classifyAll(const SystemDecyzyjny& training, const SystemDecyzyjny& test, std::uint32_t k)
{
    std::vector<float> buffer(training.objectCount);
    std::vector<float> scores(training.classCount);
    Tally tally;
    for (std::uint32_t t = 0; t < test.objectCount; ++t) {
        const float* row = test.groupedRows.data() + std::size_t(t) * test.rowLength;
        referenceClassScores(training, row, k, buffer, scores.data());
        const auto winner = uniqueMinimum(scores.data(), training.classCount);
        if (winner) {
            ++tally.caught;
            tally.correct += training.classDecision(*winner) == row[test.attributeCount] ? 1 : 0;
        }
    }
    return tally;
}

} // namespace

bool kNNv1::classifyTestSystem()
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
        tally = classifyAll(*this, testSystem, lowered);
    }
    k = lowered;
    testObjectCount = testSystem.objectCount;
    caughtCount = tally.caught;
    correctCount = tally.correct;
    // No caught object leaves nothing to be accurate about: 0 rather than 0 / 0.
    accuracy = caughtCount == 0 ? 0.0f : static_cast<float>(correctCount) / static_cast<float>(caughtCount);
    coverage = static_cast<float>(caughtCount) / static_cast<float>(testObjectCount);
    elapsedSeconds = timer.stop();
    return true;
}

std::string knnResultsText(const kNNv1& knn)
{
    std::string text = "Parametr k = " + std::to_string(knn.k);
    text += "\nIlosc obiektow systemu testowego: " + std::to_string(knn.testObjectCount);
    text += "\nIlosc obiektow chwyconych: " + std::to_string(knn.caughtCount);
    text += "\nIlosc obiektow poprawnie sklasyfikowanych: " + std::to_string(knn.correctCount);
    text += "\nTotal accuracy: ";
    appendFixed(text, knn.accuracy, 3);
    text += "\nTotal coverage: ";
    appendFixed(text, knn.coverage, 3);
    return text;
}

std::string knnReportText(const kNNv1& knn)
{
    std::string text = elapsedTimeLine(knn.elapsedSeconds);
    std::string results = knnResultsText(knn);
    std::size_t lineStart = 0;
    while (lineStart <= results.size()) {
        const std::size_t lineEnd = std::min(results.find('\n', lineStart), results.size());
        text.append(results, lineStart, lineEnd - lineStart);
        text += kLineEnd;
        lineStart = lineEnd + 1;
    }
    return text;
}

} // namespace kolven
