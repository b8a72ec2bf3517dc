#include "cli.h"

#include "cross_validation.h"
#include "ercim.h"
#include "generator.h"
#include "knn.h"
#include "lem2.h"
#include "listed_rules.h"
#include "messages.h"
#include "rule_terms.h"
#include "rule_classifier.h"
#include "table_files.h"
#include "text_format.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kolven {

namespace {

// Set by Ctrl-C; lock-free, so the signal handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

bool stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// Whether this invocation draws progress lines: standard error is a terminal and no --quiet.
bool progressShown = false;

// A computation as the command line watches it: Ctrl-C stops it, and when progressShown a line on
// standard error, redrawn four times a second, tells how far it has come; it is erased at the end.
class RunWatch : public SharedProgress {
public:
    RunWatch(Computation computation, std::ostream& err) : computation_(computation), err_(err)
    {
        if (progressShown) {
            drawer_ = std::jthread([this](std::stop_token stop) { drawUntil(stop); });
        }
    }
    ~RunWatch()
    {
        if (drawer_.joinable()) {
            drawer_.request_stop();
            drawer_.join();
            draw(std::string());
        }
    }
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    bool cancelled() const override { return interrupted.load(std::memory_order_relaxed); }

private:
    void drawUntil(std::stop_token stop)
    {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        while (!wake.wait_for(lock, stop, std::chrono::milliseconds(250), [] { return false; }) &&
               !stop.stop_requested()) {
            draw(progressLine(computation_, stage(), done(), total()));
        }
    }
    // Overwrites the line drawn before with line, padded with blanks over the longer old one.
    void draw(const std::string& line)
    {
        const std::size_t width = std::max(line.size(), shownWidth_);
        err_ << '\r' << line << std::string(width - line.size(), ' ') << (line.empty() ? "\r" : "") << std::flush;
        shownWidth_ = line.size();
    }

    Computation computation_;
    std::ostream& err_;
    std::size_t shownWidth_ = 0;
    std::jthread drawer_;
};

// The exit of a run stopped by Ctrl-C.
int interruptedExit(std::ostream& err)
{
    err << "kolven-cli: obliczenia przerwane.\n";
    return kExitInterrupted;
}

// What a sub-command does once its arguments are parsed: it writes results to out and messages
// to err, and returns its exit code.
using Action = std::function<int(std::ostream& out, std::ostream& err)>;

int fail(std::ostream& err, std::string_view message)
{
    err << "kolven-cli: " << message << '\n';
    return kExitFailed;
}

// The options of every sub-command that reads tables.
struct TableOptions {
    std::string decision; // --decision: the decision column of a table with names
    bool codes = false;   // --codes: numbers instead of names and labels
};

void addTableOptions(CLI::App& sub, TableOptions& options)
{
    sub.add_option("--decision", options.decision,
                   "the attribute of a .csv or .arff table that is the decision (default: the last one)");
    sub.add_flag("--codes", options.codes, "print attributes and values as numbers (a1=1.000) even for a table with names");
}

// Reads a table for a sub-command; a refusal is reported on err, naming the file, the line and
// what is wrong.
bool loadTable(const std::string& path, SystemDecyzyjny& target, const TableOptions& options, TableRead& read,
               std::ostream& err)
{
    if (readTable(pathFromUtf8(path), target, read, options.decision)) {
        return true;
    }
    fail(err, path + ": " + readFailureText(path, read.refusal));
    return false;
}

// A table read from .tab with values that were not numbers is still used, but not silently.
void warnAboutNonNumbers(const std::string& path, const TableRead& read, std::ostream& err)
{
    if (read.nonNumericValues > 0) {
        err << "kolven-cli: " << path << ": " << nonNumericWarning(read.nonNumericValues) << '\n';
    }
}

// Reads a training and a test table, warning of values that were not numbers. The test table's
// words are numbered as the training table's: words numbered by their first appearance in one
// file must mean the same in the other.
bool loadTrainingAndTest(const std::string& trainPath, SystemDecyzyjny& train, const std::string& testPath,
                         SystemDecyzyjny& test, const TableOptions& options, std::ostream& err)
{
    TableRead trainRead;
    TableRead testRead;
    if (!loadTable(trainPath, train, options, trainRead, err) || !loadTable(testPath, test, options, testRead, err)) {
        return false;
    }
    warnAboutNonNumbers(trainPath, trainRead, err);
    warnAboutNonNumbers(testPath, testRead, err);
    alignLabels(trainRead.names, test, testRead.names);
    return true;
}

// The names the texts of a table use: none with --codes or for a table without them.
const TableNames* shownNames(const TableRead& read, const SystemDecyzyjny& table, const TableOptions& options)
{
    return namesToShow(read.names, table, !options.codes);
}

// Writes the finished result to the file named by -o, or to out without it; nothing after Ctrl-C.
int emit(const std::string& bytes, const std::string& outputPath, std::ostream& out, std::ostream& err)
{
    if (interrupted.load(std::memory_order_relaxed)) {
        return interruptedExit(err);
    }
    if (outputPath.empty()) {
        out << bytes;
        out.flush();
        return out ? kExitOk : fail(err, "nie mozna zapisac wyniku na standardowe wyjscie.");
    }
    if (!writeFileBytes(pathFromUtf8(outputPath), bytes)) {
        return fail(err, outputPath + ": nie mozna zapisac pliku.");
    }
    return kExitOk;
}

// One line per column of a named table: its number, its name and how often each of its values
// occurs ("?" for missing ones), or for a numeric column how many different numbers it holds.
std::string attributeSummary(const SystemDecyzyjny& table, const TableNames& names)
{
    std::string text = "Atrybuty:\n";
    for (std::uint32_t c = 0; c < table.rowLength; ++c) {
        const NamedColumn& column = names.columns[c];
        std::map<float, std::uint32_t> counts;
        for (std::uint32_t object = 0; object < table.objectCount; ++object) {
            ++counts[table.row(object)[c]];
        }
        text += "  " + (c < table.attributeCount ? "a" + std::to_string(c + 1) : std::string("d")) + " " + column.name + ":";
        if (!column.nominal) {
            text += " liczbowy, " + std::to_string(counts.size()) + " roznych wartosci\n";
            continue;
        }
        const char* separator = " ";
        for (const auto& [value, count] : counts) {
            text += separator;
            names.appendValue(text, c, value);
            text += " " + std::to_string(count);
            separator = ", ";
        }
        text += "\n";
    }
    return text;
}

std::string tableSummary(SystemDecyzyjny& table, const TableRead& read, const TableNames* names)
{
    std::string text = "Liczba obiektow: " + std::to_string(table.objectCount) + "\n";
    text += "Liczba atrybutow warunkowych: " + std::to_string(table.attributeCount) + "\n";
    if (read.nonNumericValues > 0) {
        text += nonNumericWarning(read.nonNumericValues) + "\n";
    }
    if (names != nullptr) {
        text += attributeSummary(table, *names);
    }
    table.buildDecisionClasses();
    text += "Liczba klas decyzyjnych: " + std::to_string(table.classCount) + "\n";
    for (std::uint32_t c = 0; c < table.classCount; ++c) {
        text += "  ";
        appendDecisionTerm(text, table.classDecision(c), names);
        text += ": " + std::to_string(table.classSize(c)) + "\n";
    }
    table.releaseDecisionClasses();
    return text;
}

// Each sub-command declares its arguments on sub and returns the action that runs it.
Action defineConvert(CLI::App& sub)
{
    auto input = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    auto options = std::make_shared<TableOptions>();
    sub.add_option("INPUT", *input, "table to read (.msd, .csv, .arff, or .tab for any other extension)")->required();
    sub.add_option("-o,--output", *output, "the file to write: .csv, or .msd for any other extension")->required();
    addTableOptions(sub, *options);
    return [input, output, options](std::ostream& out, std::ostream& err) {
        SystemDecyzyjny table;
        TableRead read;
        if (!loadTable(*input, table, *options, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(*input, read, err);
        const bool csv = tableFormat(*output) == TableFormat::Csv;
        return emit(csv ? csvText(table, shownNames(read, table, *options)) : msdBytes(table), *output, out, err);
    };
}

Action defineGenerate(CLI::App& sub)
{
    struct Parameters {
        std::uint32_t objects = 0;
        std::uint32_t attributes = 0;
        double min = 0;
        double max = 0;
        std::optional<std::uint32_t> seed;
        std::string output;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("OBJECTS", p->objects, "number of objects")->required();
    sub.add_option("ATTRIBUTES", p->attributes, "number of condition attributes")->required();
    sub.add_option("MIN", p->min, "lowest value (truncated toward zero)")->required();
    sub.add_option("MAX", p->max, "highest value (truncated toward zero)")->required();
    sub.add_option("--seed", p->seed, "seed of the random source instead of the clock");
    sub.add_option("-o,--output", p->output, "the .msd file to write")->required();
    return [p](std::ostream& out, std::ostream& err) {
        const auto min = static_cast<float>(p->min);
        const auto max = static_cast<float>(p->max);
        if (const auto refusal = checkGeneratorParameters(p->objects, min, max)) {
            return fail(err, refusalMessage(*refusal));
        }
        SystemDecyzyjny table;
        RandomSystemGenerator generator;
        generator.generate(table, p->objects, p->attributes, min, max, p->seed);
        if (!p->seed) {
            // Runs in the same second draw the same table; the seed lets any run be repeated.
            err << "seed: " << generator.lastSeed() << '\n';
        }
        return emit(msdBytes(table), p->output, out, err);
    };
}

Action defineInfo(CLI::App& sub)
{
    auto input = std::make_shared<std::string>();
    auto options = std::make_shared<TableOptions>();
    sub.add_option("TABLE", *input, "table to describe")->required();
    addTableOptions(sub, *options);
    return [input, options](std::ostream& out, std::ostream& err) {
        SystemDecyzyjny table;
        TableRead read;
        if (!loadTable(*input, table, *options, read, err)) {
            return int(kExitFailed);
        }
        return emit(tableSummary(table, read, shownNames(read, table, *options)), {}, out, err);
    };
}

struct RulesParameters {
    std::string input;
    std::string output;
    std::string stats;
    TableOptions table;
    bool simplify = false;       // lem2 only
    ExhaustiveOptions search;    // exhaustive only
};

// Writes the rules (an ERCIM or a LEM2v1 after its run), and their statistics when --stats names
// a file; neither file stays when either cannot be written.
template <typename Rules>
int emitRules(const std::string& rulesText, const RulesParameters& p, const Rules& rules, std::ostream& out,
              std::ostream& err)
{
    if (!p.stats.empty() && !writeFileBytes(p.stats, ruleStatisticsCsv(rules, listedRules(rules)))) {
        return fail(err, p.stats + ": nie mozna zapisac pliku.");
    }
    const int exit = emit(rulesText, p.output, out, err);
    if (exit != kExitOk && !p.stats.empty()) {
        std::error_code ignored;
        std::filesystem::remove(p.stats, ignored);
    }
    return exit;
}

void addRulesOptions(CLI::App& sub, RulesParameters& p)
{
    sub.add_option("TABLE", p.input, "decision table")->required();
    sub.add_option("-o,--output", p.output, "file for the rules (standard output without it)");
    sub.add_option("--stats", p.stats, "also write one CSV row of statistics a rule to this file");
    addTableOptions(sub, p.table);
}

// Induces LEM2 rules from lem2's table, simplified when asked, watched as a run. False, with the
// message, when the table has no condition attribute or Ctrl-C stopped the run.
bool induceLem2(LEM2v1& lem2, bool simplify, std::ostream& err)
{
    RunWatch watch(Computation::Lem2, err);
    if (simplify ? lem2.runLem2Simplified(watch) : lem2.runLem2(watch)) {
        return true;
    }
    watch.cancelled() ? interruptedExit(err) : fail(err, kLem2NoAttributesMessage);
    return false;
}

Action defineExhaustive(CLI::App& sub)
{
    auto p = std::make_shared<RulesParameters>();
    addRulesOptions(sub, *p);
    sub.add_flag("--all-orders", p->search.allOrders, "search every order, not only until an order stores fewer than two rules");
    sub.add_option("--threads", p->search.threads, "threads sharing the search (0, the default: one per core)");
    return [p](std::ostream& out, std::ostream& err) {
        ERCIM ercim;
        TableRead read;
        if (!loadTable(p->input, ercim, p->table, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(p->input, read, err);
        if (RunWatch watch(Computation::Exhaustive, err); !ercim.computeRules(watch, p->search)) {
            return interruptedExit(err);
        }
        return emitRules(exhaustiveExportText(ercim, shownNames(read, ercim, p->table)), *p, ercim, out, err);
    };
}

Action defineLem2(CLI::App& sub)
{
    auto p = std::make_shared<RulesParameters>();
    addRulesOptions(sub, *p);
    sub.add_flag("--simplify", p->simplify, "simplify the induced rules");
    return [p](std::ostream& out, std::ostream& err) {
        LEM2v1 lem2;
        TableRead read;
        if (!loadTable(p->input, lem2, p->table, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(p->input, read, err);
        if (!induceLem2(lem2, p->simplify, err)) {
            return int(kExitFailed);
        }
        return emitRules(lem2ExportText(lem2, shownNames(read, lem2, p->table)), *p, lem2, out, err);
    };
}

Action defineKnn(CLI::App& sub)
{
    struct Parameters {
        std::string train;
        std::string test;
        std::uint32_t k = 2;
        std::string output;
        TableOptions options;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TRAIN", p->train, "training table (the decision system)")->required();
    sub.add_option("TEST", p->test, "test table")->required();
    sub.add_option("-k", p->k, "neighbours per class (0 is taken as 1)");
    sub.add_option("-o,--output", p->output, "file for the results (standard output without it)");
    addTableOptions(sub, p->options);
    return [p](std::ostream& out, std::ostream& err) {
        kNNv1 knn;
        if (!loadTrainingAndTest(p->train, knn, p->test, knn.testSystem, p->options, err)) {
            return int(kExitFailed);
        }
        knn.k = p->k == 0 ? 1 : p->k;
        if (RunWatch watch(Computation::Knn, err); !knn.classifyTestSystem(watch)) {
            return watch.cancelled() ? interruptedExit(err) : fail(err, kKnnAttributeMismatchMessage);
        }
        return emit(knnReportText(knn), p->output, out, err);
    };
}

Action defineClassify(CLI::App& sub)
{
    struct Parameters {
        std::string train;
        std::string test;
        std::string rules;
        bool simplify = false;
        bool allOrders = false;
        std::string output;
        TableOptions table;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TRAIN", p->train, "training table: the rules are induced from it")->required();
    sub.add_option("TEST", p->test, "test table")->required();
    sub.add_option("--rules", p->rules, "the rules: lem2 or exhaustive")
        ->required()
        ->check(CLI::IsMember(methodCliNames(true)));
    sub.add_flag("--simplify", p->simplify, "simplify the LEM2 rules");
    sub.add_flag("--all-orders", p->allOrders, "search every order of exhaustive rules, not only up to the first short one");
    sub.add_option("-o,--output", p->output, "file for the results (standard output without it)");
    addTableOptions(sub, p->table);
    return [p](std::ostream& out, std::ostream& err) {
        if (p->simplify && !methodTakesFlag(p->rules, "--simplify")) {
            return fail(err, "--simplify dotyczy tylko regul LEM2.");
        }
        SystemDecyzyjny test;
        ClassificationRules rules;
        if (p->rules == "lem2") {
            LEM2v1 lem2;
            if (!loadTrainingAndTest(p->train, lem2, p->test, test, p->table, err) ||
                !induceLem2(lem2, p->simplify, err)) {
                return int(kExitFailed);
            }
            rules = classificationRules(lem2);
        } else {
            ERCIM ercim;
            if (!loadTrainingAndTest(p->train, ercim, p->test, test, p->table, err)) {
                return int(kExitFailed);
            }
            if (RunWatch watch(Computation::Exhaustive, err); !ercim.computeRules(watch, {p->allOrders})) {
                return interruptedExit(err);
            }
            rules = classificationRules(ercim);
        }
        RuleClassification results;
        if (const auto refusal = classifyByRules(rules, test, results)) {
            return fail(err, refusalMessage(*refusal));
        }
        return emit(ruleReportText(results), p->output, out, err);
    };
}

// Writes fold I's tables as DIR/foldI-train.msd and DIR/foldI-test.msd, folds numbered from 1.
// False, with the message and none of the files left, when one cannot be written.
bool writeFolds(const std::filesystem::path& folder, const SystemDecyzyjny& table, const CvSettings& settings,
                std::ostream& err)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const auto foldOf = stratifiedFolds(table, settings.folds, settings.seed);
    std::vector<std::filesystem::path> written;
    for (std::uint32_t fold = 0; fold < settings.folds; ++fold) {
        SystemDecyzyjny training;
        SystemDecyzyjny test;
        splitFold(table, foldOf, fold, training, test);
        const std::string name = "fold" + std::to_string(fold + 1);
        for (const auto& [path, part] : {std::pair{folder / (name + "-train.msd"), &training},
                                         std::pair{folder / (name + "-test.msd"), &test}}) {
            if (!writeMsd(path, *part)) {
                for (const auto& done : written) {
                    std::filesystem::remove(done, error);
                }
                fail(err, path.string() + ": nie mozna zapisac pliku.");
                return false;
            }
            written.push_back(path);
        }
    }
    return true;
}

Action defineCrossValidate(CLI::App& sub)
{
    struct Parameters {
        std::string table;
        std::string method;
        bool simplify = false;
        bool allOrders = false;
        std::uint32_t k = 2;
        std::uint32_t folds = 10;
        std::optional<std::uint32_t> seed;
        std::string foldsDir;
        std::string output;
        TableOptions options;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TABLE", p->table, "decision table")->required();
    sub.add_option("--method", p->method, "the classifier: knn, lem2 or exhaustive")
        ->required()
        ->check(CLI::IsMember(methodCliNames()));
    sub.add_flag("--simplify", p->simplify, "simplify the LEM2 rules");
    sub.add_flag("--all-orders", p->allOrders, "search every order of exhaustive rules, not only up to the first short one");
    sub.add_option("-k", p->k, "neighbours per class for knn (0 is taken as 1)");
    sub.add_option("--folds", p->folds, "number of folds, 2 to the number of objects (default 10)");
    sub.add_option("--seed", p->seed, "seed of the shuffle instead of the clock");
    sub.add_option("--folds-dir", p->foldsDir, "write each fold's tables there as foldI-train.msd, foldI-test.msd");
    sub.add_option("-o,--output", p->output, "file for the results (standard output without it)");
    addTableOptions(sub, p->options);
    return [p](std::ostream& out, std::ostream& err) {
        if (p->simplify && !methodTakesFlag(p->method, "--simplify")) {
            return fail(err, "--simplify dotyczy tylko metody lem2.");
        }
        if (p->allOrders && !methodTakesFlag(p->method, "--all-orders")) {
            return fail(err, "--all-orders dotyczy tylko metody exhaustive.");
        }
        SystemDecyzyjny table;
        TableRead read;
        if (!loadTable(p->table, table, p->options, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(p->table, read, err);
        CvSettings settings;
        std::vector<std::string_view> flags;
        for (const auto& [given, flag] : {std::pair{p->simplify, "--simplify"}, std::pair{p->allOrders, "--all-orders"}}) {
            if (given) {
                flags.emplace_back(flag);
            }
        }
        settings.method = *methodNamed(p->method, flags);
        settings.k = p->k;
        settings.folds = p->folds;
        if (const auto refusal = checkCvSettings(table, settings)) {
            return fail(err, refusalMessage(*refusal));
        }
        if (p->seed) {
            settings.seed = *p->seed;
        } else {
            // The clock's seed, told so that the run can be repeated.
            settings.seed = static_cast<std::uint32_t>(std::time(nullptr));
            err << "seed: " << settings.seed << '\n';
        }
        if (!p->foldsDir.empty() && !writeFolds(p->foldsDir, table, settings, err)) {
            return int(kExitFailed);
        }
        CrossValidation results;
        if (RunWatch watch(Computation::CrossValidation, err); !crossValidate(table, settings, results, watch)) {
            return interruptedExit(err);
        }
        return emit(crossValidationReport(results), p->output, out, err);
    };
}

struct Command {
    const char* name;
    const char* description;
    Action (*define)(CLI::App&);
};

// The sub-commands, in the order the usage lists them.
constexpr Command kCommands[] = {
    {"convert", "read a table and write it as .msd, or as .csv when the output name ends so", defineConvert},
    {"generate", "generate a pseudo-random table of whole numbers", defineGenerate},
    {"info", "show a table's size and decision classes", defineInfo},
    {"exhaustive", "compute minimal certain rules by the exhaustive search", defineExhaustive},
    {"lem2", "compute rules by LEM2", defineLem2},
    {"knn", "classify a test table with the per-class k-NN rule", defineKnn},
    {"classify", "classify a test table with the rules induced from a training table", defineClassify},
    {"cv", "cross-validate a classifier on one table with stratified folds", defineCrossValidate},
};

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CLI::App app{"KOLVEN: rough-set decision tables from the command line", "kolven-cli"};
    app.require_subcommand(1, 1);
    // The same syntax on every platform: on Windows the parser would otherwise take an argument
    // beginning with "/" (a path under Wine, say) for an option.
    app.allow_windows_style_options(false);
    bool quiet = false;
    app.add_flag("-q,--quiet", quiet, "no progress line on standard error");
    app.fallthrough();
    std::vector<std::pair<CLI::App*, Action>> actions;
    for (const Command& command : kCommands) {
        CLI::App* sub = app.add_subcommand(command.name, command.description);
        actions.emplace_back(sub, command.define(*sub));
    }

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << "kolven-cli: " << e.what() << "\n\n";
        const CLI::App* sub = app.get_subcommands().empty() ? &app : app.get_subcommands().front();
        err << sub->help();
        return kExitUsage;
    }

    progressShown = !quiet && stderrIsTerminal();
    for (auto& [sub, action] : actions) {
        if (sub->parsed()) {
            try {
                return action(out, err);
            } catch (const std::bad_alloc&) {
                return fail(err, kOutOfMemoryMessage);
            }
        }
    }
    return kExitUsage;
}

void installInterruptHandler()
{
    std::signal(SIGINT, [](int) { interrupted.store(true, std::memory_order_relaxed); });
}

} // namespace kolven
