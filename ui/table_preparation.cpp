#include "table_preparation.h"

#include "attribute_selection.h"

namespace kolven {

void prepareTestTable(const std::vector<PreparationStep>& steps, SystemDecyzyjny& test)
{
    for (const PreparationStep& step : steps) {
        if (test.attributeCount != step.attributesBefore) {
            continue;
        }
        if (step.cuts) {
            step.cuts->applyInPlace(test);
        } else {
            keepAttributes(test, step.kept);
        }
    }
}

} // namespace kolven
