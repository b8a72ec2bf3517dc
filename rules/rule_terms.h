#pragma once

#include "table_names.h"

#include <cstdint>
#include <string>

namespace kolven {

// The terms both rule texts are made of. Without names a condition reads "(a3=1.000)" (attributes
// numbered from 1) and a decision "(d=0.000)"; with them "(outlook=sunny)" and "(play=no)",
// numeric values still in "%.3f" and a missing nominal value as "?".
void appendConditionTerm(std::string& text, std::uint32_t attribute, float value, const TableNames* names);
void appendDecisionTerm(std::string& text, float value, const TableNames* names);

} // namespace kolven
