#pragma once

#include "decision_system.h"
#include "discretization.h"
#include "table_names.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kolven {

// One change installed on the decision system that a test system must undergo too before it is
// classified against it: the attributes kept, or the cuts fitted on the decision system.
struct PreparationStep {
    std::uint32_t attributesBefore = 0;  // the condition attributes of the table it was applied to
    std::vector<std::uint32_t> kept;     // the attributes kept, ascending, when no cuts
    std::optional<Discretization> cuts;
    TableNames namesBefore;              // the names of that table: a test system's words are numbered as its
};

// Applies the steps in order to test, each one only while test has the width the step was
// applied to (a test table loaded in the reduced form skips the reduction); a table of another
// width is left for the classification to refuse. Throws std::bad_alloc when memory runs out.
void prepareTestTable(const std::vector<PreparationStep>& steps, SystemDecyzyjny& test);

} // namespace kolven
