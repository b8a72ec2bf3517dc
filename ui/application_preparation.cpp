// The commands that change the decision system as the rough-set analysis suggests: keeping the
// attributes of a reduct, and cutting numeric attributes into intervals. Each installs the new
// table as an edit does (computed results discarded, names kept) and remembers what it did, so
// that a test system is prepared the same way before it is classified.
#include "application.h"

#include "attribute_selection.h"
#include "perf_timer.h"
#include "preparation_dialog.h"
#include "table_files.h"

#include <memory>
#include <optional>
#include <utility>

namespace kolven {

namespace {

// The attributes of the last computed reduct as the list the dialog reads: names where they are
// shown, numbers from 1 otherwise; empty without a reduct.
std::string reductListText(const AppState& state)
{
    if (!state.computed.reducts || state.reducts.reducts.empty()) {
        return {};
    }
    const TableNames* names = state.shownNames();
    std::string text;
    for (std::uint32_t a : state.reducts.reducts.front()) {
        if (!text.empty()) {
            text += ",";
        }
        text += names != nullptr ? names->columns[a].name : std::to_string(std::uint64_t(a) + 1);
    }
    return text;
}

} // namespace

void Application::restrictAttributes()
{
    hideAndClear();
    PreparationDialog dialog(PreparationDialogMode::Attributes, reductListText(state_));
    std::vector<std::uint32_t> kept;
    // A refused list is explained, then the dialog opens again with what was typed, to be mended.
    for (;;) {
        if (!screen_.runPreparationDialog(dialog) || !dialog.accepted()) {
            return;
        }
        const auto refusal = parseAttributeList(dialog.fieldText(), *state_.ercim, state_.names, kept);
        if (!refusal) {
            break;
        }
        screen_.showMessage(std::string(kAttributeListRefused) + *refusal, kErrorCaption);
    }
    const std::uint32_t before = state_.ercim->attributeCount;
    auto system = std::make_unique<ERCIM>();
    system->copyFrom(*state_.ercim);
    keepAttributes(*system, kept);
    // A table without names keeps the numbers its attributes had, so that its rules read as the
    // command line's on the same list.
    TableNames names = state_.names.fits(*state_.ercim) ? keptNames(state_.names, kept) : numberedNames(kept);
    PreparationStep step{before, kept, std::nullopt, state_.names};
    installSystem(std::move(system), std::move(names));
    state_.preparation.push_back(std::move(step));
}

void Application::discretizeSystem()
{
    hideAndClear();
    PreparationDialog dialog(PreparationDialogMode::Discretization, "5");
    std::optional<DiscretizationMethod> method;
    while (!method) {
        if (!screen_.runPreparationDialog(dialog) || !dialog.accepted()) {
            return;
        }
        method = parseDiscretizationMethod(dialog.methodText());
        if (!method) {
            screen_.showMessage(kIntervalCountRefused, kErrorCaption);
        }
    }
    struct Work {
        SystemDecyzyjny table;
        TableNames names;
        bool named = false;
        std::optional<Discretization> cuts;
        SystemDecyzyjny coded;
        TableNames codedNames;
        double seconds = 0;
    };
    auto work = std::make_shared<Work>();
    work->table.copyFrom(*state_.ercim);
    work->named = state_.names.fits(*state_.ercim);
    if (work->named) {
        work->names = state_.names;
    }
    runComputation({Computation::Discretization, state_.knn.k,
                    [work, method](Progress& progress) {
                        PerfTimer timer;
                        timer.start();
                        const TableNames* names = work->named ? &work->names : nullptr;
                        work->cuts = fitDiscretization(work->table, defaultCutAttributes(work->table, names), *method,
                                                       progress);
                        if (!work->cuts) {
                            return false;
                        }
                        work->cuts->apply(work->table, names, work->coded, work->codedNames);
                        work->seconds = timer.stop();
                        return true;
                    },
                    [this, work] {
                        auto system = std::make_unique<ERCIM>();
                        system->copyFrom(work->coded);
                        PreparationStep step{work->table.attributeCount, {}, work->cuts, state_.names};
                        std::string shown = cutsSummary(*work->cuts, work->named ? &work->names : nullptr);
                        installSystem(std::move(system), std::move(work->codedNames));
                        state_.preparation.push_back(std::move(step));
                        cutsText_ = std::move(shown);
                        cutsSeconds_ = work->seconds;
                        showCuts();
                    },
                    {}});
}

void Application::showCuts()
{
    showPagedText(cutsSeconds_, cutsText_);
    listingShown_ = true;
    analysisShown_ = &Application::showCuts;
}

} // namespace kolven
