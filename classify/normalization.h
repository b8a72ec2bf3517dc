#pragma once

#include "decision_system.h"

#include <optional>
#include <string_view>
#include <vector>

namespace kolven {

// How k-NN rescales the condition attributes before it measures distances: by the training
// table's range (to 0 ... 1) or by its mean and standard deviation.
enum class Normalization { Range, ZScore };

// Reads "range" or "zscore"; nullopt for anything else.
std::optional<Normalization> parseNormalization(std::string_view text);
std::string_view normalizationName(Normalization normalization);

// Each condition attribute's offset and scale, fitted on a training table and applied to it and
// to its test table: value becomes (value - offset) / scale.
struct Rescaling {
    std::vector<double> offset;
    std::vector<double> scale;

    // Rescales table's condition attributes; table must have one entry's worth of them.
    void applyInPlace(SystemDecyzyjny& table) const;
};

// Range: offset the minimum, scale max - min. Z-score: offset the mean, scale the (population)
// standard deviation. A constant attribute gets scale 1, so that it only moves.
Rescaling fitRescaling(const SystemDecyzyjny& training, Normalization normalization);

// Rescales training and test by what fitRescaling fits on training, as k-NN's preparation does on
// the command line, in the window and in each fold; tables of different widths, which k-NN
// refuses, are left as they are.
void rescaleBoth(Normalization normalization, SystemDecyzyjny& training, SystemDecyzyjny& test);

} // namespace kolven
