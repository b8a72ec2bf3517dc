#include "menu_rules.h"

namespace kolven {

bool commandAvailable(CommandId id, const AppState& state, bool computing)
{
    if (computing) {
        return id == CommandId::CancelComputation;
    }
    const ComputedResults& done = state.computed;
    const bool system = state.ercim != nullptr;
    const bool test = state.testSystemHasValues();
    switch (id) {
    // Making, reading and leaving need nothing.
    case CommandId::CreateSystem:
    case CommandId::GenerateSystem:
    case CommandId::LoadSystem:
    case CommandId::LoadTestSystem:
    case CommandId::Quit:
    case CommandId::About:
        return true;
    case CommandId::SaveSystem:
    case CommandId::EditSystem:
    case CommandId::ToggleAttributeNames:
    case CommandId::CrossValidate:
    case CommandId::ShowSystemInfo:
    case CommandId::ExportSystemInfo:
        return system;
    // A search is offered until its own results are the current ones; the plain and the other
    // variant share one place, so having either offers the other.
    case CommandId::ComputeExhaustive:
        return system && !(done.exhaustive && !done.exhaustiveAllOrders);
    case CommandId::ComputeExhaustiveAllOrders:
        return system && !(done.exhaustive && done.exhaustiveAllOrders);
    case CommandId::ComputeLem2:
        return system && !(done.lem2 && !done.lem2Simplified);
    case CommandId::ComputeLem2Simplified:
        return system && !(done.lem2 && done.lem2Simplified);
    case CommandId::ShowExhaustive:
    case CommandId::ExportExhaustive:
        return done.exhaustive;
    case CommandId::ShowLem2:
    case CommandId::ExportLem2:
        return done.lem2;
    case CommandId::EditTestSystem:
    case CommandId::ShowTestSystemInfo:
    case CommandId::ExportTestSystemInfo:
        return test;
    case CommandId::ClassifyKnn:
        return test && state.decisionSystemHasValues();
    case CommandId::ShowKnn:
        return done.knn;
    // Classification by rules needs a test system and rules to classify with.
    case CommandId::ClassifyLem2:
        return test && done.lem2 && !state.lem2->rules.empty();
    case CommandId::ClassifyExhaustive:
        return test && done.exhaustive;
    case CommandId::ShowRuleClassification:
    case CommandId::ExportRuleClassification:
        return done.ruleClassification;
    case CommandId::ShowCrossValidation:
    case CommandId::ExportCrossValidation:
        return done.crossValidation;
    // The rough-set analysis needs objects, as its command line refuses an empty table.
    case CommandId::ComputeApproximations:
    case CommandId::ComputeReducts:
    case CommandId::ComputeReductJohnson:
    case CommandId::ComputeReductGreedy:
    // So do the changes of the table that the analysis leads to.
    case CommandId::RestrictAttributes:
    case CommandId::DiscretizeSystem:
        return state.decisionSystemHasValues();
    case CommandId::ShowApproximations:
    case CommandId::ExportApproximations:
        return done.approximations;
    case CommandId::ShowReducts:
    case CommandId::ExportReducts:
        return done.reducts;
    case CommandId::CancelComputation:
        return false;
    }
    return false;
}

bool enabledAtStart(CommandId id)
{
    static const AppState nothingInstalled;
    return commandAvailable(id, nothingInstalled, false);
}

} // namespace kolven
