#pragma once

#include "cross_validation.h"
#include "ercim.h"
#include "knn.h"
#include "normalization.h"
#include "lem2.h"
#include "approximations.h"
#include "reducts.h"
#include "table_names.h"
#include "table_summary.h"
#include "rule_classifier.h"
#include "table_preparation.h"
#include "text_page.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kolven {

// Which results exist and still describe the current systems. Installing a decision system
// forgets them all; changing the test system forgets the classifications. Together with the
// systems themselves they decide what the menu offers (commandAvailable).
struct ComputedResults {
    bool exhaustive = false;
    bool exhaustiveAllOrders = false; // the exhaustive rules are those of every order
    bool lem2 = false;
    bool lem2Simplified = false;
    bool knn = false;
    bool ruleClassification = false;
    bool crossValidation = false;
    bool approximations = false;
    bool reducts = false; // all reducts, Johnson's or the greedy one: the last computed
};

// Everything the running program knows. The entry point owns it and hands it to the Application;
// nothing reaches it through a global.
//
// The current decision system exists in three copies: in ercim (the master copy, which the editor
// reads and the save command writes), in lem2 and in the base of knn. ercim and lem2 are replaced
// as a pair whenever a system is installed, which discards the rules computed before; knn and its
// test system live as long as the state and are refilled in place.
struct AppState {
    std::unique_ptr<ERCIM> ercim;
    std::unique_ptr<LEM2v1> lem2;
    kNNv1 knn;
    // How the last k-NN classification rescaled the attributes (none: not at all); the next k-NN
    // dialog offers it.
    std::optional<Normalization> knnNormalization;

    // Attribute names and value labels of the decision system and of the test system, when they
    // were read with them; the test system's nominal values are numbered as the decision
    // system's. showNames is the setting "Pokaz nazwy atrybutow".
    TableNames names;
    TableNames testNames;
    bool showNames = true;

    // The names the rule texts use now: none when they are hidden or the system has none.
    const TableNames* shownNames() const { return ercim ? namesToShow(names, *ercim, showNames) : nullptr; }

    // The last classification by rules, the last cross-validation and the settings it used
    // (its discretization is in cvResults.preparation), which the next one's dialog offers.
    RuleClassification ruleResults;
    CrossValidation cvResults;
    CvSettings cvSettings;
    // The seed as typed for the last cross-validation: empty when the clock chose it.
    std::string cvSeedText;

    // The last rough-set analysis of the decision system; its texts take the names when shown.
    Approximations approximations;
    ReductAnalysis reducts;

    ComputedResults computed;

    // What "Ogranicz do atrybutow..." and "Dyskretyzuj system decyzyjny..." did to the decision
    // system since it was loaded, created or generated: a test system is prepared so before it
    // is classified.
    std::vector<PreparationStep> preparation;
    // Where each system came from (the name of the file it was read from; empty for a table that
    // was typed, generated or edited since) and what reading it noticed: its description says so.
    std::string systemFile;
    std::string testFile;
    TableReadNotes systemNotes;
    TableReadNotes testNotes;
    // How the missing values of each system were completed when it was read ("braki: ..."), or
    // empty: its description says so.
    std::string systemMissingNote;
    std::string testMissingNote;

    // The generator's range last confirmed in the parameter dialog.
    float generatorMin = 0;
    float generatorMax = 0;

    // The text cursor kept between drawing passes.
    int savedCursorX = 0;
    int savedCursorY = 0;

    // Where the paged listings stand and which one "DALEJ" continues.
    ListingPosition listing;

    // True once a decision system, or a test system, holds values: these two alone decide
    // whether k-NN can be run.
    bool decisionSystemHasValues() const { return knn.hasValues(); }
    bool testSystemHasValues() const { return knn.testSystem.hasValues(); }
};

} // namespace kolven
