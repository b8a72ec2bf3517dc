#pragma once

// Completing the missing values of a table read with keepMissing (NaN in a numeric column, -1 in
// a nominal one): fitted on a training table, then applied to it and to any table tested
// against it, so that a test table never completes itself from its own values.

#include "decision_system.h"
#include "table_names.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// mean: a numeric attribute's mean (a nominal one's, and the decision's, most common value);
// mode: the most common value (the smallest of equally common ones); drop: the objects go.
enum class MissingTreatment { Mean, Mode, Drop };

std::optional<MissingTreatment> missingTreatmentNamed(std::string_view word);
std::string_view missingTreatmentName(MissingTreatment treatment);

// True when the value in column of a table described by names (which may be empty) is missing.
bool isMissingCell(float value, std::uint32_t column, const TableNames& names);

class MissingFill {
public:
    // Fits on train; returns the reason when the treatment cannot be fitted there (a column to
    // complete with no value at all).
    std::optional<std::string> fit(const SystemDecyzyjny& train, const TableNames& names, MissingTreatment treatment);
    // Completes table (or drops its objects with a missing value); returns the number of values
    // completed or objects dropped. table must have the training table's columns.
    std::uint64_t apply(SystemDecyzyjny& table, const TableNames& names) const;

    MissingTreatment treatment() const { return treatment_; }

private:
    MissingTreatment treatment_ = MissingTreatment::Drop;
    std::vector<float> fills_; // one per column; NaN where the training table had no value
};

// The line info and the results' headers show: "braki: uzupelnione srednia (3 wartosci)".
std::string missingTreatmentNote(MissingTreatment treatment, std::uint64_t changed);
// The same for a cross-validation, where each fold is completed from its own training part;
// missingValues counts the table's missing values (each completed once in every fold).
std::string foldMissingTreatmentNote(MissingTreatment treatment, std::uint64_t missingValues);

// The number of missing values in table (described by names, as isMissingCell tells them).
std::uint64_t missingCellCount(const SystemDecyzyjny& table, const TableNames& names);

} // namespace kolven
