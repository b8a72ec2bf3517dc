// The commands of the rough-set analysis: the approximations of the decision classes and the
// reducts, computed in the background as the rules are, shown paged and exported as the command
// line writes them.
#include "application.h"

#include "roughsets_text.h"

#include <memory>
#include <numeric>
#include <utility>
#include <vector>

namespace kolven {

void Application::computeApproximations()
{
    auto table = std::make_shared<SystemDecyzyjny>();
    table->copyFrom(*state_.ercim);
    auto results = std::make_shared<Approximations>();
    runComputation({Computation::Approximations, state_.knn.k,
                    [table, results](Progress& progress) {
                        // Every condition attribute, as the command line analyses them.
                        std::vector<std::uint32_t> attributes(table->attributeCount);
                        std::iota(attributes.begin(), attributes.end(), 0u);
                        return kolven::computeApproximations(*table, attributes, *results, progress);
                    },
                    [this, results] {
                        state_.approximations = std::move(*results);
                        state_.computed.approximations = true;
                        showApproximations();
                    },
                    {}});
}

void Application::showApproximations()
{
    showPagedText(state_.approximations.elapsedSeconds, approximationsText(state_.approximations, state_.shownNames()));
    listingShown_ = true;
    analysisShown_ = &Application::showApproximations;
    shownExport_ = CommandId::ExportApproximations;
}

void Application::computeReducts(ReductMethod method)
{
    auto table = std::make_shared<SystemDecyzyjny>();
    table->copyFrom(*state_.ercim);
    auto results = std::make_shared<ReductAnalysis>();
    runComputation({Computation::Reducts, state_.knn.k,
                    [table, method, results](Progress& progress) {
                        return kolven::computeReducts(*table, method, *results, progress);
                    },
                    [this, results] {
                        state_.reducts = std::move(*results);
                        state_.computed.reducts = true;
                        showReducts();
                    },
                    {}});
}

void Application::showReducts()
{
    showPagedText(state_.reducts.elapsedSeconds, reductsText(state_.reducts, state_.shownNames()));
    listingShown_ = true;
    analysisShown_ = &Application::showReducts;
    shownExport_ = CommandId::ExportReducts;
}

} // namespace kolven
