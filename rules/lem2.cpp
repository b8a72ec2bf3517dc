#include "lem2.h"

#include "lem2_induction.h"
#include "perf_timer.h"
#include "rule_terms.h"
#include "table_files.h"
#include "text_format.h"

#include <utility>

namespace kolven {

bool LEM2v1::runLem2(Progress& progress, unsigned threads)
{
    return run([&](const SystemDecyzyjny& table) { return induceLem2Rules(table, progress, threads); }, progress);
}

bool LEM2v1::runLem2Reference(Progress& progress)
{
    return run([&](const SystemDecyzyjny& table) { return induceLem2RulesReference(table, progress); }, progress);
}

bool LEM2v1::runLem2Simplified(Progress& progress, unsigned threads)
{
    return run([&](const SystemDecyzyjny& table) { return induceLem2Rules(table, progress, threads); }, progress, true);
}

bool LEM2v1::run(const Induction& induce, Progress& progress, bool simplify)
{
    if (attributeCount == 0 || objectCount == 0) {
        return false;
    }
    PerfTimer timer;
    timer.start();
    buildDecisionClasses();
    std::vector<Lem2Rule> induced;
    try {
        induced = induce(*this);
        if (simplify && !progress.cancelled()) {
            induced = simplifyLem2Rules(*this, std::move(induced));
        }
    } catch (...) {
        releaseDecisionClasses();
        throw;
    }
    releaseDecisionClasses();
    if (progress.cancelled()) {
        return false;
    }
    elapsedSeconds = timer.stop();
    rules = std::move(induced);
    simplified = simplify;
    return true;
}

bool LEM2v1::exportResults(const std::filesystem::path& path, const TableNames* names) const
{
    return writeFileBytes(path, lem2ExportText(*this, names));
}

namespace {

// Appends the text lem2RuleText gives to text, which may hold earlier lines.
void appendLem2Rule(std::string& text, const Lem2Rule& rule, const TableNames* names)
{
    const std::size_t lineStart = text.size();
    for (const auto& condition : rule.conditions) {
        text += ' ';
        appendConditionTerm(text, condition.attribute, condition.value, names);
        text += " &";
    }
    if (text.size() > lineStart) {
        text.pop_back();
    }
    text += "=>";
    for (std::size_t i = 0; i < rule.decisions.size(); ++i) {
        text += i == 0 ? " " : " v ";
        appendDecisionTerm(text, rule.decisions[i], names);
    }
    if (rule.support != 1) {
        text += " [";
        text += std::to_string(rule.support);
        text += ']';
    }
}

} // namespace

std::string lem2RuleText(const Lem2Rule& rule, const TableNames* names)
{
    std::string text;
    appendLem2Rule(text, rule, names);
    return text;
}

std::string lem2ExportText(const LEM2v1& lem2, const TableNames* names)
{
    std::string text = elapsedTimeLine(lem2.elapsedSeconds);
    for (const auto& rule : lem2.rules) {
        appendLem2Rule(text, rule, names);
        text += kLineEnd;
    }
    return text;
}

bool listLem2Rules(const LEM2v1& lem2, ListingPosition& position, TextPage& page, const TableNames* names)
{
    position.listingMode = ListingMode::Lem2;
    while (position.lem2Position < lem2.rules.size()) {
        page.drawLine(lem2RuleText(lem2.rules[position.lem2Position], names));
        ++position.lem2Position;
        if (page.full()) {
            return page.endPageToBeContinued();
        }
    }
    position.lem2Position = 0;
    return page.endListing();
}

} // namespace kolven
