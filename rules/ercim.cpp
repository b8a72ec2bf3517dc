#include "ercim.h"

namespace kolven {

void ERCIM::computeRules() {}
void ERCIM::exportResults(const std::filesystem::path&) const {}
const std::uint32_t* ERCIM::ruleList(std::uint32_t, std::uint32_t) const { return nullptr; }
std::string exhaustiveRuleLine(const ERCIM&, std::uint32_t, const std::uint32_t*, std::uint32_t) { return {}; }
std::string exhaustiveExportText(const ERCIM&) { return {}; }
bool listExhaustiveRules(const ERCIM&, ListingPosition&, TextPage&) { return true; }

} // namespace kolven
