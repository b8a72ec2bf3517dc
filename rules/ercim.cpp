#include "ercim.h"

#include "perf_timer.h"
#include "table_files.h"

#include <utility>

namespace kolven {

bool ERCIM::computeRules(Progress& progress, const ExhaustiveOptions& options)
{
    PerfTimer timer;
    timer.start();
    // The search works on its own storage, so an allocation failure or a cancel leaves this object
    // as it was.
    ExhaustiveRules found = searchExhaustiveRules(*this, progress, options);
    if (progress.cancelled()) {
        return false;
    }
    rulesByOrder_ = std::move(found.rulesByOrder);
    order = found.order;
    elapsedSeconds = timer.stop();
    return true;
}

void ERCIM::exportResults(const std::filesystem::path& path, const TableNames* names) const
{
    // An export that cannot be written is skipped without a word, as the export command expects.
    writeFileBytes(path, exhaustiveExportText(*this, names));
}

std::span<const std::uint32_t> ERCIM::ruleListWords(std::uint32_t ruleOrder, std::uint32_t object) const
{
    if (ruleOrder >= rulesByOrder_.size() || object >= rulesByOrder_[ruleOrder].size()) {
        return {};
    }
    return rulesByOrder_[ruleOrder][object];
}

const std::uint32_t* ERCIM::ruleList(std::uint32_t ruleOrder, std::uint32_t object) const
{
    const std::span<const std::uint32_t> words = ruleListWords(ruleOrder, object);
    return words.empty() ? nullptr : words.data();
}

} // namespace kolven
