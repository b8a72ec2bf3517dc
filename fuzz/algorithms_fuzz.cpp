// Loads a small table from arbitrary bytes and runs the three computations on it: the exhaustive
// search, LEM2 and k-NN (the table classified against itself). Sizes are bounded so that each run
// stays fast; what matters is that no input makes them misbehave, and that LEM2's fast induction
// and k-NN's fast scoring give what their references do.
#include "ercim.h"
#include "knn.h"
#include "lem2.h"
#include "table_files.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// LEM2's rules as the listing shows them, without the export's time.
std::string ruleLines(const kolven::LEM2v1& lem2)
{
    std::string lines;
    for (const auto& rule : lem2.rules) {
        lines += kolven::lem2RuleText(rule) + '\n';
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kolven::ERCIM ercim;
    if (!kolven::parseTab(text, ercim) || ercim.objectCount > 40 || ercim.attributeCount > 6) {
        return 0;
    }
    ercim.computeRules();
    if (ercim.order > ercim.attributeCount) {
        std::abort();
    }
    (void)kolven::exhaustiveExportText(ercim);

    kolven::LEM2v1 lem2;
    lem2.copyFrom(ercim);
    if (lem2.runLem2()) {
        if (lem2.rules.empty() || lem2.rules.size() > lem2.objectCount) {
            std::abort();
        }
        (void)kolven::lem2ExportText(lem2);
        // The fast induction gives the straightforward one's rules.
        kolven::LEM2v1 reference;
        reference.copyFrom(ercim);
        if (!reference.runLem2Reference() || ruleLines(reference) != ruleLines(lem2)) {
            std::abort();
        }
    }

    kolven::kNNv1 knn;
    knn.copyFrom(ercim);
    knn.testSystem.copyFrom(ercim);
    knn.k = 1 + data[0] % 4;
    kolven::kNNv1 reference;
    reference.copyFrom(knn);
    reference.testSystem.copyFrom(knn.testSystem);
    reference.k = knn.k;
    if (!knn.classifyTestSystem() || knn.correctCount > knn.caughtCount || knn.caughtCount > knn.objectCount) {
        std::abort();
    }
    // The fast scoring (on the whole-number grid where the processor has one) counts exactly as
    // the straightforward one.
    if (!reference.classifyTestSystem(kolven::KnnScoring::Reference, 1) ||
        kolven::knnResultsText(reference) != kolven::knnResultsText(knn)) {
        std::abort();
    }
    (void)kolven::knnReportText(knn);
    return 0;
}
