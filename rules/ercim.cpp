#include "ercim.h"

#include "perf_timer.h"
#include "table_files.h"

#include <utility>

namespace kolven {

void ERCIM::computeRules()
{
    PerfTimer timer;
    timer.start();
    // The search works on its own storage, so an allocation failure leaves this object as it was.
    ExhaustiveRules found = searchExhaustiveRules(*this);
    rulesByOrder_ = std::move(found.rulesByOrder);
    order = found.order;
    elapsedSeconds = timer.stop();
}

bool ERCIM::exportResults(const std::filesystem::path& path) const
{
    return writeFileBytes(path, exhaustiveExportText(*this));
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
