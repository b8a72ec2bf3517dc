#include "ercim.h"

#include "perf_timer.h"
#include "table_files.h"

#include <optional>
#include <utility>

namespace kolven {

bool ERCIM::computeRules(Progress& progress, const ExhaustiveOptions& options)
{
    PerfTimer timer;
    timer.start();
    // The search works on its own storage, so a cancel or an allocation failure leaves this object
    // as it was.
    std::optional<ExhaustiveRules> found = searchExhaustiveRules(*this, options, progress);
    if (!found) {
        return false;
    }
    rulesByOrder_ = std::move(found->rulesByOrder);
    order = found->order;
    elapsedSeconds = timer.stop();
    return true;
}

bool ERCIM::exportResults(const std::filesystem::path& path, const TableNames* names) const
{
    return writeFileBytes(path, exhaustiveExportText(*this, names));
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
