#pragma once

#include "decision_system.h"
#include "progress.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kolven {

// Shown when the training and the test tables differ in their numbers of condition attributes.
inline constexpr std::string_view kKnnAttributeMismatchMessage =
    "System testowy ma inna liczbe atrybutow warunkowych niz system decyzyjny.";

// How a run computes the class scores. Fast gives the same bits as Reference, the straightforward
// insertion sort of every class kept to check it.
enum class KnnScoring { Reference, Fast };

// The per-class k-nearest-neighbour classifier. Its base is the training table (a copy of the
// current decision system); testSystem holds the objects to classify.
class kNNv1 : public SystemDecyzyjny {
public:
    // Classifies every test object, reporting the test objects done to progress. Returns false,
    // changing nothing, when either table has no object, when their condition attribute counts
    // differ or when progress is cancelled. Lowers k to the smallest training class. Scores by the
    // fast path, spread over the processor's cores.
    bool classifyTestSystem(Progress& progress = noProgress());
    // The same with the chosen scoring on the given number of threads (0: one per core); the
    // results do not depend on either. Throws std::bad_alloc, changing nothing, when memory runs out.
    bool classifyTestSystem(KnnScoring scoring, unsigned threads, Progress& progress = noProgress());

    std::uint32_t k = 2;
    SystemDecyzyjny testSystem;
    // The number of test objects the last run classified (the test table may change after it).
    std::uint32_t testObjectCount = 0;
    std::uint32_t correctCount = 0;
    std::uint32_t caughtCount = 0;
    float accuracy = 0;
    float coverage = 0;
    double elapsedSeconds = 0;
};

// The five figure lines every classification ends with, each after a "\n":
// "\nIlosc obiektow systemu testowego: N" ... "\nTotal coverage: %.3f".
std::string classificationFiguresText(std::uint32_t testObjects, std::uint32_t caught, std::uint32_t correct,
                                      float accuracy, float coverage);

// The six result lines ("Parametr k = %u" ... "Total coverage: %.3f") joined by "\n", as drawn
// under the time line.
std::string knnResultsText(const kNNv1& knn);

// The time line and the six result lines, each ended by CR LF: what kolven-cli knn prints.
std::string knnReportText(const kNNv1& knn);

} // namespace kolven
