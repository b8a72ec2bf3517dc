// Tables with missing numbers: the window asks how to complete them, as the command line's
// --missing says, before such a table is installed.
#include "application.h"

#include "missing_values.h"
#include "preparation_dialog.h"

namespace kolven {

namespace {

constexpr std::string_view kTestNeedsTraining =
    "Braki systemu testowego uzupelnia sie wartosciami systemu decyzyjnego: wczytaj najpierw system decyzyjny "
    "o tych samych atrybutach.";

std::string missingValuesQuestion(const std::string& file, const MissingNumbers& missing)
{
    return file + ": " + std::to_string(missing.total) + " brakujacych wartosci liczbowych (atrybut \"" +
           missing.firstColumn + "\": " + std::to_string(missing.inFirstColumn) + "). Wybierz, jak je uzupelnic.";
}

} // namespace

bool Application::completeMissingValues(SystemDecyzyjny& table, const TableNames& names, const MissingNumbers& missing,
                                         bool testSystem, std::string& note)
{
    const bool trainingFits = state_.ercim && state_.preparation.empty() &&
                              state_.ercim->attributeCount == table.attributeCount;
    if (testSystem && !trainingFits) {
        screen_.showMessage(std::string(kTestNeedsTraining), kErrorCaption);
        return false;
    }
    screen_.showMessage(missingValuesQuestion(lastOpenFile_, missing), kWarningCaption);
    PreparationDialog dialog(PreparationDialogMode::MissingValues, {});
    if (!screen_.runPreparationDialog(dialog) || !dialog.accepted()) {
        return false;
    }
    const auto treatment = MissingTreatment(dialog.choice());
    MissingFill fill;
    const SystemDecyzyjny& training = testSystem ? *state_.ercim : table;
    if (const auto refusal = fill.fit(training, testSystem ? state_.names : names, treatment)) {
        screen_.showMessage(lastOpenFile_ + ": " + *refusal, kErrorCaption);
        return false;
    }
    const std::uint64_t changed = fill.apply(table, names);
    if (table.objectCount == 0) {
        screen_.showMessage(lastOpenFile_ + ": po usunieciu obiektow z brakami nie zostal zaden obiekt.", kErrorCaption);
        return false;
    }
    note = missingTreatmentNote(treatment, changed);
    return true;
}

} // namespace kolven
