#include "cli.h"

#include "approximations.h"
#include "attribute_selection.h"
#include "cross_validation.h"
#include "cuts_file.h"
#include "discretization.h"
#include "ercim.h"
#include "generator.h"
#include "knn.h"
#include "lem2.h"
#include "listed_rules.h"
#include "messages.h"
#include "methods.h"
#include "missing_values.h"
#include "reducts.h"
#include "roughsets_text.h"
#include "normalization.h"
#include "perf_timer.h"
#include "rule_terms.h"
#include "rule_classifier.h"
#include "csv_writer.h"
#include "file_access.h"
#include "table_files.h"
#include "table_formats.h"
#include "table_summary.h"
#include "text_format.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kolven {

namespace {

// Set by Ctrl-C, SIGTERM or SIGHUP; lock-free, so the signal handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// The signal that stopped the run: the exit is 128 and its number (130 for Ctrl-C).
std::atomic<int> stopSignal{SIGINT};
// Set while nothing is to be cleaned up (a table being read, a FIFO waited for): a signal then
// ends the process at once, with the same message and exit.
std::atomic<bool> exitAtOnce{false};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr char kInterruptedMessage[] = "kolven-cli: obliczenia przerwane.\n";

// While the table is read, a signal ends the process at once.
class ExitAtOnceWhileReading {
public:
    ExitAtOnceWhileReading() { exitAtOnce.store(true); }
    ~ExitAtOnceWhileReading() { exitAtOnce.store(false); }
    ExitAtOnceWhileReading(const ExitAtOnceWhileReading&) = delete;
    ExitAtOnceWhileReading& operator=(const ExitAtOnceWhileReading&) = delete;
};

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

// The exit of a run stopped by Ctrl-C (130), SIGTERM (143) or SIGHUP (129).
int interruptedExit(std::ostream& err)
{
    err << kInterruptedMessage;
    return 128 + stopSignal.load();
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
    std::string format;   // --format: the reader, where the name does not tell it (standard input, a pipe)
    std::string separator; // --separator: the separator of a .csv table instead of the guess
    std::optional<std::string> attributes; // --attributes: the condition attributes to keep
    std::string missing; // --missing: how missing values are completed (mean, mode, drop)
    // Fitted on the training table (the first one read), applied to it and to its test table.
    MissingFill missingFill;
    std::string missingNote; // what the treatment did to the training table, for info and headers
    // Once a table is reduced by --attributes: names that keep the full table's attribute numbers
    // in texts printed without names.
    TableNames keptNumbers;
};

void addTableOptions(CLI::App& sub, TableOptions& options)
{
    sub.add_option("--decision", options.decision,
                   "the attribute of a .csv or .arff table that is the decision (default: the last one)");
    sub.add_flag("--codes", options.codes, "print attributes and values as numbers (a1=1.000) even for a table with names");
    std::vector<std::string> formats;
    for (const TableFormatEntry& entry : tableFormats()) {
        formats.emplace_back(entry.name);
    }
    sub.add_option("--format", options.format, "read the tables as this format whatever their names (\"-\" is standard input)")
        ->check(CLI::IsMember(formats));
    sub.add_option("--separator", options.separator, "the separator of a .csv table: one character, or tab (default: guessed)")
        ->check([](const std::string& value) {
            return value.size() == 1 || value == "tab" ? std::string() : std::string("one character or tab");
        });
    sub.add_option("--missing", options.missing,
                   "complete missing values (?, empty, NA, NaN) with the training table's mean or mode, or drop the objects")
        ->check(CLI::IsMember({"mean", "mode", "drop"}));
}

void addAttributesOption(CLI::App& sub, TableOptions& options)
{
    sub.add_option("--attributes", options.attributes,
                   "compute on these condition attributes only: numbers from 1 or names, separated by commas");
}

// Reduces a table just read to the attributes of --attributes, its names with it; false, with the
// message, when the list is refused.
bool keepListedAttributes(SystemDecyzyjny& table, TableRead& read, TableOptions& options, std::ostream& err)
{
    std::vector<std::uint32_t> kept;
    if (const auto refusal = parseAttributeList(*options.attributes, table, read.names, kept)) {
        fail(err, "--attributes: " + *refusal);
        return false;
    }
    if (!read.names.empty() && read.names.fits(table)) {
        read.names = keptNames(read.names, kept);
    }
    keepAttributes(table, kept);
    options.keptNumbers = numberedNames(kept);
    return true;
}

// Completes the missing values of a table just read as --missing asks: fitted on it, or, for a
// test table (its words already numbered as the training table's), with what the training table
// fitted.
bool treatMissing(const std::string& path, SystemDecyzyjny& table, TableRead& read, TableOptions& options,
                  bool testTable, std::ostream& err)
{
    if (!testTable) {
        if (const auto refusal = options.missingFill.fit(table, read.names, *missingTreatmentNamed(options.missing))) {
            fail(err, path + ": " + *refusal);
            return false;
        }
    }
    const std::uint64_t changed = options.missingFill.apply(table, read.names);
    if (!testTable) {
        options.missingNote = missingTreatmentNote(options.missingFill.treatment(), changed);
    }
    if (table.objectCount == 0) {
        fail(err, path + ": po usunieciu obiektow z brakami nie zostal zaden obiekt.");
        return false;
    }
    return true;
}

// Reads a table for a sub-command, reduced by --attributes when given; a refusal is reported on
// err, naming the file, the line and what is wrong. fullAttributes, when given, receives the
// number of condition attributes before the reduction. Missing values are completed as --missing
// asks, except in a test table: the caller completes it once its words are numbered as the
// training table's.
bool loadTable(const std::string& path, SystemDecyzyjny& target, TableOptions& options, TableRead& read,
               std::ostream& err, std::uint32_t* fullAttributes = nullptr, bool testTable = false)
{
    {
        ExitAtOnceWhileReading reading;
        const std::filesystem::path file = pathFromUtf8(path);
        const TableFormat format = options.format.empty() ? tableFormat(file) : *formatNamed(options.format);
        const char separator =
            options.separator == "tab" ? '\t' : options.separator.empty() ? '\0' : options.separator[0];
        if (!readTable(file, format, target, read, TableReadOptions{options.decision, separator, !options.missing.empty()})) {
            fail(err, path + ": " + readFailureText(path, read.refusal));
            if (read.missing.total > 0 && options.missing.empty()) {
                fail(err, path + ": atrybut liczbowy \"" + read.missing.firstColumn + "\" ma " +
                              std::to_string(read.missing.inFirstColumn) + " brakujacych wartosci (w calej tabeli " +
                              std::to_string(read.missing.total) + "); wybierz --missing mean, mode albo drop.");
            }
            return false;
        }
    }
    if (fullAttributes != nullptr) {
        *fullAttributes = target.attributeCount;
    }
    if (options.attributes && !keepListedAttributes(target, read, options, err)) {
        return false;
    }
    return options.missing.empty() || testTable || treatMissing(path, target, read, options, false, err);
}

// A table read from .tab with values that were not numbers is still used, but not silently.
void warnAboutNonNumbers(const std::string& path, const TableRead& read, std::ostream& err)
{
    if (read.nonNumericValues > 0) {
        err << "kolven-cli: " << path << ": " << nonNumericWarning(read.nonNumericValues) << '\n';
    }
}

// --discretize, --cut and --normalize: how a table is prepared before a method runs, fitted on
// the training table and applied to the test table.
struct Preparation {
    std::string discretize;
    std::string cut;
    std::string normalize;
    std::optional<DiscretizationMethod> method;
    std::optional<Normalization> normalization;
};

void addDiscretizeOptions(CLI::App& sub, Preparation& p)
{
    sub.add_option("--discretize", p.discretize,
                   "cut the numeric attributes first: md, entropy or width[:K] (cuts fitted on the training table)");
    sub.add_option("--cut", p.cut, "the attributes to cut, numbers from 1 or names, comma separated");
}

void addNormalizeOption(CLI::App& sub, Preparation& p)
{
    sub.add_option("--normalize", p.normalize, "rescale the attributes for k-NN: range or zscore (fitted on training)");
}

// Reads the texts of the preparation options; false, with the message, for an unknown method.
bool checkPreparation(Preparation& p, std::ostream& err)
{
    if (!p.discretize.empty() && !(p.method = parseDiscretizationMethod(p.discretize))) {
        fail(err, "nieznana metoda dyskretyzacji \"" + p.discretize + "\" (md, entropy, width albo width:K, K od 2 do " +
                      std::to_string(kMaxEqualWidthIntervals) + ").");
        return false;
    }
    if (!p.cut.empty() && !p.method) {
        fail(err, "--cut wymaga --discretize.");
        return false;
    }
    if (!p.normalize.empty() && !(p.normalization = parseNormalization(p.normalize))) {
        fail(err, "nieznana normalizacja \"" + p.normalize + "\" (range albo zscore).");
        return false;
    }
    return true;
}

// The attributes --cut names (numbers from 1 or names, comma separated), or the default ones
// without it; false, with the message, for one the table does not have.
bool cutAttributes(const std::string& list, const SystemDecyzyjny& table, const TableNames& names,
                   std::vector<bool>& cut, std::ostream& err)
{
    const TableNames* named = names.fits(table) ? &names : nullptr;
    if (list.empty()) {
        cut = defaultCutAttributes(table, named);
        return true;
    }
    cut.assign(table.attributeCount, false);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, end - start);
        start = end + 1;
        std::uint32_t found = table.attributeCount;
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            if (item == std::to_string(a + 1) || (named != nullptr && item == named->columns[a].name)) {
                found = a;
                break;
            }
        }
        if (found == table.attributeCount) {
            fail(err, "--cut: tabela nie ma atrybutu warunkowego \"" + item + "\".");
            return false;
        }
        cut[found] = true;
    }
    return true;
}

// Fits the cuts on train, watched as a run; nullopt after Ctrl-C, with the message.
std::optional<Discretization> fitWatched(const SystemDecyzyjny& train, const std::vector<bool>& cut,
                                         const DiscretizationMethod& method, std::ostream& err)
{
    RunWatch watch(Computation::Discretization, err);
    auto cuts = fitDiscretization(train, cut, method, watch);
    if (!cuts || watch.cancelled()) {
        interruptedExit(err);
        return std::nullopt;
    }
    return cuts;
}

// Cuts train (and test, with train's cuts) as p asks; both get the names of the coded tables, so
// that their values print as intervals. False, with the message, on bad input or Ctrl-C.
bool discretizeTables(const Preparation& p, SystemDecyzyjny& train, TableNames& trainNames, SystemDecyzyjny* test,
                      TableNames* testNames, const TableOptions& options, std::ostream& err)
{
    if (!p.method) {
        return true;
    }
    // A table without names reduced by --attributes keeps the full table's numbers in the
    // coded table's names, as its rules would without cuts.
    if (!options.keptNumbers.empty()) {
        if (trainNames.empty()) {
            trainNames = options.keptNumbers;
        }
        if (testNames != nullptr && testNames->empty()) {
            *testNames = options.keptNumbers;
        }
    }
    std::vector<bool> cut;
    if (!cutAttributes(p.cut, train, trainNames, cut, err)) {
        return false;
    }
    const auto cuts = fitWatched(train, cut, *p.method, err);
    if (!cuts) {
        return false;
    }
    SystemDecyzyjny coded;
    TableNames codedNames;
    // A test table of another width is left for the method to refuse.
    if (test != nullptr && test->attributeCount == train.attributeCount) {
        cuts->apply(*test, testNames, coded, codedNames);
        test->copyFrom(coded);
        *testNames = std::move(codedNames);
    }
    cuts->apply(train, &trainNames, coded, codedNames);
    train.copyFrom(coded);
    trainNames = std::move(codedNames);
    return true;
}


// Reads a training and a test table, warning of values that were not numbers. The test table's
// words are numbered as the training table's: words numbered by their first appearance in one
// file must mean the same in the other.
bool loadTrainingAndTest(const std::string& trainPath, SystemDecyzyjny& train, const std::string& testPath,
                         SystemDecyzyjny& test, TableOptions& options, TableRead& trainRead, TableRead& testRead,
                         std::ostream& err)
{
    std::uint32_t trainAttributes = 0;
    std::uint32_t testAttributes = 0;
    if (!loadTable(trainPath, train, options, trainRead, err, &trainAttributes) ||
        !loadTable(testPath, test, options, testRead, err, &testAttributes, true)) {
        return false;
    }
    if (options.attributes && trainAttributes != testAttributes) {
        // The same list would pick different attributes from the two tables.
        fail(err, kKnnAttributeMismatchMessage);
        return false;
    }
    warnAboutNonNumbers(trainPath, trainRead, err);
    warnAboutNonNumbers(testPath, testRead, err);
    alignLabels(trainRead.names, test, testRead.names);
    return options.missing.empty() || treatMissing(testPath, test, testRead, options, true, err);
}

// The same, then prepared as p asks (cuts fitted on the training table).
bool loadTrainingAndTest(const std::string& trainPath, SystemDecyzyjny& train, const std::string& testPath,
                         SystemDecyzyjny& test, TableOptions& options, const Preparation& p, std::ostream& err)
{
    TableRead trainRead;
    TableRead testRead;
    return loadTrainingAndTest(trainPath, train, testPath, test, options, trainRead, testRead, err) &&
           discretizeTables(p, train, trainRead.names, &test, &testRead.names, options, err);
}

// The names the texts of a table use: none with --codes or for a table without them.
const TableNames* shownNames(const TableRead& read, const SystemDecyzyjny& table, const TableOptions& options)
{
    const TableNames* names = namesToShow(read.names, table, !options.codes);
    return names == nullptr && !options.keptNumbers.empty() ? &options.keptNumbers : names;
}

// Writes bytes to out in blocks, stopping at a signal; false when out fails.
bool writeOut(std::string_view bytes, std::ostream& out)
{
    constexpr std::size_t kBlock = std::size_t(1) << 20;
    while (!bytes.empty() && out && !interrupted.load(std::memory_order_relaxed)) {
        const std::size_t block = std::min(bytes.size(), kBlock);
        out.write(bytes.data(), std::streamsize(block));
        bytes.remove_prefix(block);
    }
    out.flush();
    return bool(out);
}

// Prepares the result file named by path (see SafeWrite); an exit code other than kExitOk when
// it cannot be written or a signal stopped the write.
int prepareFile(SafeWrite& file, const std::string& path, const std::string& bytes, std::ostream& err)
{
    switch (file.prepare(pathFromUtf8(path), bytes, &interrupted)) {
    case WriteResult::Written: return kExitOk;
    case WriteResult::Cancelled: return interruptedExit(err);
    case WriteResult::Failed: break;
    }
    return fail(err, path + ": nie mozna zapisac pliku.");
}

// Writes the finished result to the file named by -o, or to out without it or with "-o -";
// nothing after a signal. The file is written whole or not at all; beside (a --stats file, say
// already prepared) is committed only once the result is out.
int emit(const std::string& bytes, const std::string& outputPath, std::ostream& out, std::ostream& err,
         SafeWrite* beside = nullptr)
{
    if (interrupted.load(std::memory_order_relaxed)) {
        return interruptedExit(err);
    }
    SafeWrite file;
    if (outputPath.empty() || outputPath == "-") {
        if (!writeOut(bytes, out)) {
            return fail(err, "nie mozna zapisac wyniku na standardowe wyjscie.");
        }
    } else if (const int exit = prepareFile(file, outputPath, bytes, err); exit != kExitOk) {
        return exit;
    }
    if (interrupted.load(std::memory_order_relaxed)) {
        return interruptedExit(err);
    }
    if (!file.commit() || (beside != nullptr && !beside->commit())) {
        return fail(err, outputPath + ": nie mozna zapisac pliku.");
    }
    return kExitOk;
}

// Each sub-command declares its arguments on sub and returns the action that runs it.
Action defineConvert(CLI::App& sub)
{
    auto input = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    auto options = std::make_shared<TableOptions>();
    sub.add_option("INPUT", *input, "table to read " + readFormatsHelp())->required();
    sub.add_option("-o,--output", *output, "the file to write: " + writtenFormatsHelp())->required();
    addTableOptions(sub, *options);
    return [input, output, options](std::ostream& out, std::ostream& err) {
        SystemDecyzyjny table;
        TableRead read;
        if (!loadTable(*input, table, *options, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(*input, read, err);
        const auto write = formatEntry(writtenFormat(*output)).write;
        return emit(write(table, shownNames(read, table, *options)), *output, out, err);
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
        std::string summary =
            tableSummary(table, {read.nonNumericValues, read.weightedRows}, shownNames(read, table, *options));
        if (!options->missingNote.empty()) {
            summary += options->missingNote + "\n";
        }
        return emit(summary, {}, out, err);
    };
}

struct RulesParameters {
    std::string input;
    std::string output;
    std::string stats;
    TableOptions table;
    bool simplify = false;       // lem2 only
    bool allOrders = false;      // exhaustive only
    unsigned threads = 0;        // threads sharing the computation (0: one per core)
    Preparation preparation;
};

// Writes the rules (an ERCIM or a LEM2v1 after its run), and their statistics when --stats names
// a file; neither file is replaced when either cannot be written.
template <typename Rules>
int emitRules(const std::string& rulesText, const RulesParameters& p, const Rules& rules, const TableNames* names,
              std::ostream& out, std::ostream& err)
{
    SafeWrite stats;
    if (!p.stats.empty()) {
        // The rules' texts as -o lists them, with names where it uses them.
        if (const int exit = prepareFile(stats, p.stats, ruleStatisticsCsv(rules, listedRules(rules, names)), err);
            exit != kExitOk) {
            return exit;
        }
    }
    return emit(rulesText, p.output, out, err, &stats);
}

void addRulesOptions(CLI::App& sub, RulesParameters& p)
{
    sub.add_option("TABLE", p.input, "decision table")->required();
    sub.add_option("-o,--output", p.output, "file for the rules (standard output without it)");
    sub.add_option("--stats", p.stats, "also write one CSV row of statistics a rule to this file");
    addTableOptions(sub, p.table);
    addAttributesOption(sub, p.table);
    addDiscretizeOptions(sub, p.preparation);
}

// Induces LEM2 rules from lem2's table, simplified when asked, on threads threads (0: one per
// core), watched as a run. kExitOk, or with the message the exit of a table without condition
// attributes or of a stopped run.
int induceLem2(LEM2v1& lem2, bool simplify, unsigned threads, std::ostream& err)
{
    RunWatch watch(Computation::Lem2, err);
    if (runMethod(lem2Method(simplify), lem2, watch, threads)) {
        return kExitOk;
    }
    return watch.cancelled() ? interruptedExit(err) : fail(err, kLem2NoAttributesMessage);
}

Action defineExhaustive(CLI::App& sub)
{
    auto p = std::make_shared<RulesParameters>();
    addRulesOptions(sub, *p);
    sub.add_flag("--all-orders", p->allOrders, "search every order, not only until an order stores fewer than two rules");
    sub.add_option("--threads", p->threads, "threads sharing the search (0, the default: one per core)");
    return [p](std::ostream& out, std::ostream& err) {
        ERCIM ercim;
        TableRead read;
        if (!checkPreparation(p->preparation, err) || !loadTable(p->input, ercim, p->table, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(p->input, read, err);
        if (!discretizeTables(p->preparation, ercim, read.names, nullptr, nullptr, p->table, err)) {
            return int(kExitFailed);
        }
        if (RunWatch watch(Computation::Exhaustive, err);
            !runMethod(exhaustiveMethod(p->allOrders), ercim, watch, p->threads)) {
            return interruptedExit(err);
        }
        const TableNames* names = shownNames(read, ercim, p->table);
        return emitRules(exhaustiveExportText(ercim, names), *p, ercim, names, out, err);
    };
}

Action defineLem2(CLI::App& sub)
{
    auto p = std::make_shared<RulesParameters>();
    addRulesOptions(sub, *p);
    sub.add_flag("--simplify", p->simplify, "simplify the induced rules");
    sub.add_option("--threads", p->threads, "threads sharing the decision classes (0, the default: one per core)");
    return [p](std::ostream& out, std::ostream& err) {
        LEM2v1 lem2;
        TableRead read;
        if (!checkPreparation(p->preparation, err) || !loadTable(p->input, lem2, p->table, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(p->input, read, err);
        if (!discretizeTables(p->preparation, lem2, read.names, nullptr, nullptr, p->table, err)) {
            return int(kExitFailed);
        }
        if (const int exit = induceLem2(lem2, p->simplify, p->threads, err); exit != kExitOk) {
            return exit;
        }
        const TableNames* names = shownNames(read, lem2, p->table);
        return emitRules(lem2ExportText(lem2, names), *p, lem2, names, out, err);
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
        Preparation preparation;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TRAIN", p->train, "training table (the decision system)")->required();
    sub.add_option("TEST", p->test, "test table")->required();
    sub.add_option("-k", p->k, "neighbours per class (0 is taken as 1)");
    sub.add_option("-o,--output", p->output, "file for the results (standard output without it)");
    addTableOptions(sub, p->options);
    addAttributesOption(sub, p->options);
    addDiscretizeOptions(sub, p->preparation);
    addNormalizeOption(sub, p->preparation);
    return [p](std::ostream& out, std::ostream& err) {
        kNNv1 knn;
        if (!checkPreparation(p->preparation, err) ||
            !loadTrainingAndTest(p->train, knn, p->test, knn.testSystem, p->options, p->preparation, err)) {
            return int(kExitFailed);
        }
        if (p->preparation.normalization) {
            rescaleBoth(*p->preparation.normalization, knn, knn.testSystem);
        }
        if (RunWatch watch(Computation::Knn, err); !runMethod(knn, p->k, watch)) {
            return watch.cancelled() ? interruptedExit(err) : fail(err, kKnnAttributeMismatchMessage);
        }
        return emit(knnReportText(knn), p->output, out, err);
    };
}

// What --partial does, for the help of every command that classifies by rules.
constexpr const char* kPartialHelp =
    "an object no rule matches completely is classified by the rules that match the largest share of their conditions";
// What --vote-by-decision does, for the help of every command that classifies by LEM2 rules.
constexpr const char* kVoteByDecisionHelp =
    "a LEM2 rule naming several decisions gives each the number of training objects of that decision it matches, "
    "not its whole support to each";

Action defineClassify(CLI::App& sub)
{
    struct Parameters {
        std::string train;
        std::string test;
        std::string rules;
        bool simplify = false;
        bool allOrders = false;
        bool partial = false;
        bool voteByDecision = false;
        std::string output;
        TableOptions table;
        Preparation preparation;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TRAIN", p->train, "training table: the rules are induced from it")->required();
    sub.add_option("TEST", p->test, "test table")->required();
    sub.add_option("--rules", p->rules, "the rules: lem2 or exhaustive")
        ->required()
        ->check(CLI::IsMember(methodCliNames(true)));
    sub.add_flag("--simplify", p->simplify, "simplify the LEM2 rules");
    sub.add_flag("--all-orders", p->allOrders, "search every order of exhaustive rules, not only up to the first short one");
    sub.add_flag("--partial", p->partial, kPartialHelp);
    sub.add_flag("--vote-by-decision", p->voteByDecision, kVoteByDecisionHelp);
    sub.add_option("-o,--output", p->output, "file for the results (standard output without it)");
    addTableOptions(sub, p->table);
    addAttributesOption(sub, p->table);
    addDiscretizeOptions(sub, p->preparation);
    return [p](std::ostream& out, std::ostream& err) {
        if (p->simplify && !methodTakesFlag(p->rules, "--simplify")) {
            return fail(err, "--simplify dotyczy tylko regul LEM2.");
        }
        const bool lem2Rules = methodInfo(*methodNamed(p->rules, {})).family == MethodFamily::Lem2;
        if (p->voteByDecision && !lem2Rules) {
            return fail(err, "--vote-by-decision dotyczy tylko regul LEM2.");
        }
        if (!checkPreparation(p->preparation, err)) {
            return int(kExitFailed);
        }
        SystemDecyzyjny test;
        TableRead trainRead;
        TableRead testRead;
        // The test table's names also name the training table's decisions once its words are
        // numbered as the training table's, which needs names in both.
        const TableNames* matrixNames = nullptr;
        const auto load = [&](SystemDecyzyjny& train) {
            if (!loadTrainingAndTest(p->train, train, p->test, test, p->table, trainRead, testRead, err) ||
                !discretizeTables(p->preparation, train, trainRead.names, &test, &testRead.names, p->table, err)) {
                return false;
            }
            const bool trainNamed = namesToShow(trainRead.names, train, !p->table.codes) != nullptr;
            matrixNames = trainNamed ? namesToShow(testRead.names, test, true) : nullptr;
            return true;
        };
        ClassificationRules rules;
        if (lem2Rules) {
            LEM2v1 lem2;
            if (!load(lem2)) {
                return int(kExitFailed);
            }
            if (const int exit = induceLem2(lem2, p->simplify, 0, err); exit != kExitOk) {
                return exit;
            }
            rules = classificationRules(lem2, p->voteByDecision ? RuleVoting::ByDecision : RuleVoting::Shared);
        } else {
            ERCIM ercim;
            if (!load(ercim)) {
                return int(kExitFailed);
            }
            if (RunWatch watch(Computation::Exhaustive, err); !runMethod(exhaustiveMethod(p->allOrders), ercim, watch)) {
                return interruptedExit(err);
            }
            rules = classificationRules(ercim);
        }
        rules.matching = p->partial ? RuleMatching::Partial : RuleMatching::Complete;
        RuleClassification results;
        if (const auto refusal = classifyByRules(rules, test, results)) {
            return fail(err, refusalMessage(*refusal));
        }
        return emit(ruleReportText(results, matrixNames), p->output, out, err);
    };
}

// Writes fold I's tables as DIR/foldI-train.msd and DIR/foldI-test.msd, folds numbered from 1.
// kExitOk, or with the message the exit of a failed or stopped write: then none of the files is
// replaced, since all are prepared before any is committed.
int writeFolds(const std::filesystem::path& folder, const SystemDecyzyjny& table, const CvSettings& settings,
               const FoldPreparation& preparation, std::ostream& err)
{
    // The written parts are complete tables: missing values filled as the run fills them.
    FoldPreparation missingOnly;
    missingOnly.missing = preparation.missing;
    missingOnly.missingNames = preparation.missingNames;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const auto foldOf = stratifiedFolds(table, settings.folds, settings.seed);
    std::vector<std::unique_ptr<SafeWrite>> files;
    for (std::uint32_t fold = 0; fold < settings.folds; ++fold) {
        SystemDecyzyjny training;
        SystemDecyzyjny test;
        splitFold(table, foldOf, fold, training, test);
        prepareFold(training, test, settings.method, missingOnly);
        const std::string name = "fold" + std::to_string(fold + 1);
        for (const auto& [path, part] : {std::pair{folder / (name + "-train.msd"), &training},
                                         std::pair{folder / (name + "-test.msd"), &test}}) {
            files.push_back(std::make_unique<SafeWrite>());
            const std::u8string utf8 = path.u8string();
            if (const int exit = prepareFile(*files.back(), std::string(utf8.begin(), utf8.end()), msdBytes(*part), err);
                exit != kExitOk) {
                return exit;
            }
        }
    }
    for (const auto& file : files) {
        if (!file->commit()) {
            return fail(err, folder.string() + ": nie mozna zapisac pliku.");
        }
    }
    return kExitOk;
}

Action defineCrossValidate(CLI::App& sub)
{
    struct Parameters {
        std::string table;
        std::string method;
        bool simplify = false;
        bool allOrders = false;
        bool partial = false;
        bool voteByDecision = false;
        std::uint32_t k = 2;
        std::uint32_t folds = 10;
        std::optional<std::uint32_t> seed;
        std::string foldsDir;
        std::string output;
        TableOptions options;
        Preparation preparation;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TABLE", p->table, "decision table")->required();
    sub.add_option("--method", p->method, "the classifier: knn, lem2 or exhaustive")
        ->required()
        ->check(CLI::IsMember(methodCliNames()));
    sub.add_flag("--simplify", p->simplify, "simplify the LEM2 rules");
    sub.add_flag("--all-orders", p->allOrders, "search every order of exhaustive rules, not only up to the first short one");
    sub.add_flag("--partial", p->partial, kPartialHelp);
    sub.add_flag("--vote-by-decision", p->voteByDecision, kVoteByDecisionHelp);
    sub.add_option("-k", p->k, "neighbours per class for knn (0 is taken as 1)");
    sub.add_option("--folds", p->folds, "number of folds, 2 to the number of objects (default 10)");
    sub.add_option("--seed", p->seed, "seed of the shuffle instead of the clock");
    sub.add_option("--folds-dir", p->foldsDir, "write each fold's tables there as foldI-train.msd, foldI-test.msd");
    sub.add_option("-o,--output", p->output, "file for the results (standard output without it)");
    addTableOptions(sub, p->options);
    addAttributesOption(sub, p->options);
    addDiscretizeOptions(sub, p->preparation);
    addNormalizeOption(sub, p->preparation);
    return [p](std::ostream& out, std::ostream& err) {
        if (p->simplify && !methodTakesFlag(p->method, "--simplify")) {
            return fail(err, "--simplify dotyczy tylko metody lem2.");
        }
        if (p->allOrders && !methodTakesFlag(p->method, "--all-orders")) {
            return fail(err, "--all-orders dotyczy tylko metody exhaustive.");
        }
        if (p->partial && p->method == "knn") {
            return fail(err, "--partial dotyczy tylko metod lem2 i exhaustive.");
        }
        if (p->voteByDecision && p->method != "lem2") {
            return fail(err, "--vote-by-decision dotyczy tylko metody lem2.");
        }
        if (!p->preparation.normalize.empty() && p->method != "knn") {
            return fail(err, "--normalize dotyczy tylko metody knn.");
        }
        if (!checkPreparation(p->preparation, err)) {
            return int(kExitFailed);
        }
        // mean and mode are fitted on each fold's training part, so the table is read with its
        // missing values kept; drop needs no fitting and goes at once.
        const bool completeInFolds = !p->options.missing.empty() && p->options.missing != "drop";
        SystemDecyzyjny table;
        TableRead read;
        if (!loadTable(p->table, table, p->options, read, err, nullptr, completeInFolds)) {
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
        settings.matching = p->partial ? RuleMatching::Partial : RuleMatching::Complete;
        settings.voting = p->voteByDecision ? RuleVoting::ByDecision : RuleVoting::Shared;
        FoldPreparation preparation{p->preparation.method, {}, p->preparation.normalization};
        if (completeInFolds) {
            preparation.missing = missingTreatmentNamed(p->options.missing);
            for (const NamedColumn& column : read.names.columns) {
                preparation.missingNames.columns.push_back({column.name, column.nominal, {}});
            }
            p->options.missingNote =
                foldMissingTreatmentNote(*preparation.missing, missingCellCount(table, preparation.missingNames));
        }
        if (preparation.discretization &&
            !cutAttributes(p->preparation.cut, table, read.names, preparation.cutAttributes, err)) {
            return int(kExitFailed);
        }
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
        if (const auto refusal = foldMissingRefusal(table, settings, preparation)) {
            return fail(err, p->table + ": " + *refusal);
        }
        if (!p->foldsDir.empty()) {
            if (const int exit = writeFolds(pathFromUtf8(p->foldsDir), table, settings, preparation, err); exit != kExitOk) {
                return exit;
            }
        }
        CrossValidation results;
        if (RunWatch watch(Computation::CrossValidation, err); !crossValidate(table, settings, preparation, results, watch)) {
            return interruptedExit(err);
        }
        std::string report = crossValidationReport(results);
        if (!p->options.missingNote.empty()) {
            // The treatment belongs to the header line, which names how the run was prepared.
            const std::size_t header = report.find("Walidacja krzyzowa:");
            const std::size_t headerEnd = report.find(kLineEnd, header);
            if (header != std::string::npos && headerEnd != std::string::npos) {
                report.insert(headerEnd, ", " + p->options.missingNote);
            }
        }
        return emit(report, p->output, out, err);
    };
}

// The rough-set analysis of a table: its options and the reading every analysis starts with.
struct AnalysisParameters {
    std::string input;
    std::string output;
    std::string method = "all"; // reducts only
    TableOptions table;
    Preparation preparation;
};

void addAnalysisOptions(CLI::App& sub, AnalysisParameters& p)
{
    sub.add_option("TABLE", p.input, "decision table")->required();
    sub.add_option("-o,--output", p.output, "file for the results (standard output without it)");
    addTableOptions(sub, p.table);
    addAttributesOption(sub, p.table);
    addDiscretizeOptions(sub, p.preparation);
}

// Reads the analysed table, discretized when asked; false, with the message, when it cannot be
// read, has no object or cannot be cut.
bool loadAnalysedTable(AnalysisParameters& p, SystemDecyzyjny& table, TableRead& read, std::ostream& err)
{
    if (!checkPreparation(p.preparation, err) || !loadTable(p.input, table, p.table, read, err)) {
        return false;
    }
    warnAboutNonNumbers(p.input, read, err);
    if (table.objectCount == 0) {
        fail(err, p.input + ": tabela nie zawiera zadnego obiektu.");
        return false;
    }
    return discretizeTables(p.preparation, table, read.names, nullptr, nullptr, p.table, err);
}

Action defineApproximations(CLI::App& sub)
{
    auto p = std::make_shared<AnalysisParameters>();
    addAnalysisOptions(sub, *p);
    return [p](std::ostream& out, std::ostream& err) {
        SystemDecyzyjny table;
        TableRead read;
        if (!loadAnalysedTable(*p, table, read, err)) {
            return int(kExitFailed);
        }
        std::vector<std::uint32_t> attributes(table.attributeCount);
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            attributes[a] = a;
        }
        Approximations approximations;
        if (RunWatch watch(Computation::Approximations, err); !computeApproximations(table, attributes, approximations, watch)) {
            return interruptedExit(err);
        }
        return emit(approximationsReport(approximations, shownNames(read, table, p->table)), p->output, out, err);
    };
}

Action defineReducts(CLI::App& sub)
{
    auto p = std::make_shared<AnalysisParameters>();
    addAnalysisOptions(sub, *p);
    sub.add_option("--method", p->method, "all (every reduct, the default), johnson or greedy (one reduct)")
        ->check(CLI::IsMember({"all", "johnson", "greedy"}));
    return [p](std::ostream& out, std::ostream& err) {
        SystemDecyzyjny table;
        TableRead read;
        if (!loadAnalysedTable(*p, table, read, err)) {
            return int(kExitFailed);
        }
        const ReductMethod method = p->method == "johnson" ? ReductMethod::Johnson
                                    : p->method == "greedy" ? ReductMethod::Greedy
                                                            : ReductMethod::All;
        ReductAnalysis analysis;
        if (RunWatch watch(Computation::Reducts, err); !computeReducts(table, method, analysis, watch)) {
            return interruptedExit(err);
        }
        return emit(reductsReport(analysis, shownNames(read, table, p->table)), p->output, out, err);
    };
}

Action defineDiscretize(CLI::App& sub)
{
    struct Parameters {
        std::string input;
        std::string output;
        std::string cutsFile;
        std::string applyCuts;
        TableOptions options;
        Preparation preparation;
    };
    auto p = std::make_shared<Parameters>();
    sub.add_option("TABLE", p->input, "table to discretize")->required();
    sub.add_option("--method", p->preparation.discretize, "how the cuts are chosen: md, entropy or width[:K]");
    sub.add_option("--cut", p->preparation.cut, "the attributes to cut, numbers from 1 or names, comma separated");
    sub.add_option("--apply-cuts", p->applyCuts, "apply the cuts of this file (written by --cuts) instead of fitting them");
    sub.add_option("-o,--output", p->output, "the coded table: .csv (interval labels), or .msd (codes)")->required();
    sub.add_option("--cuts", p->cutsFile, "also write the cuts to this file, to be applied to another table");
    addTableOptions(sub, p->options);
    return [p](std::ostream& out, std::ostream& err) {
        if (p->preparation.discretize.empty() == p->applyCuts.empty()) {
            return fail(err, "discretize wymaga albo --method, albo --apply-cuts.");
        }
        if (!p->applyCuts.empty() && !p->preparation.cut.empty()) {
            return fail(err, "--cut nie dotyczy --apply-cuts: ciecia z pliku wskazuja swoje atrybuty.");
        }
        if (!checkPreparation(p->preparation, err)) {
            return int(kExitFailed);
        }
        SystemDecyzyjny table;
        TableRead read;
        if (!loadTable(p->input, table, p->options, read, err)) {
            return int(kExitFailed);
        }
        warnAboutNonNumbers(p->input, read, err);
        const TableNames* names = read.names.fits(table) ? &read.names : nullptr;
        PerfTimer timer;
        timer.start();
        std::optional<Discretization> cuts;
        if (!p->applyCuts.empty()) {
            std::string bytes;
            std::string why;
            if (const InputProblem problem = readInput(pathFromUtf8(p->applyCuts), bytes); problem != InputProblem::None) {
                return fail(err, p->applyCuts + ": " + std::string(inputProblemText(problem)) + ".");
            }
            cuts = parseCutsFile(bytes, why);
            if (!cuts || !cutsFitTable(*cuts, table, names, why)) {
                return fail(err, p->applyCuts + ": ciecia nie pasuja do tabeli " + p->input + ": " + why);
            }
        } else {
            std::vector<bool> cut;
            if (!cutAttributes(p->preparation.cut, table, read.names, cut, err) ||
                !(cuts = fitWatched(table, cut, *p->preparation.method, err))) {
                return int(kExitFailed);
            }
        }
        SystemDecyzyjny coded;
        TableNames codedNames;
        cuts->apply(table, names, coded, codedNames);
        const double seconds = timer.stop();
        const bool csv = tableFormat(pathFromUtf8(p->output)) == TableFormat::Csv;
        const std::string bytes = csv ? csvText(coded, p->options.codes ? nullptr : &codedNames) : msdBytes(coded);
        // The cuts file is replaced only together with the table coded by its cuts.
        SafeWrite cutsWrite;
        if (!p->cutsFile.empty()) {
            if (const int exit = prepareFile(cutsWrite, p->cutsFile, cutsFileText(*cuts), err); exit != kExitOk) {
                return exit;
            }
        }
        if (const int exit = emit(bytes, p->output, out, err, &cutsWrite); exit != kExitOk) {
            return exit;
        }
        return emit(timedReport(seconds, cutsSummary(*cuts, names)), {}, out, err);
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
    {"approx", "lower and upper approximations of the decision classes, quality of classification", defineApproximations},
    {"reducts", "the core and the reducts of a table (all, Johnson's or the greedy one)", defineReducts},
    {"discretize", "cut numeric attributes into intervals, or apply cuts fitted on another table", defineDiscretize},
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

namespace {

void onStopSignal(int signal)
{
    stopSignal.store(signal);
    interrupted.store(true, std::memory_order_relaxed);
    if (exitAtOnce.load()) {
        // Only what a signal handler may call: write and _exit.
#ifdef _WIN32
        [[maybe_unused]] const int written = _write(2, kInterruptedMessage, unsigned(sizeof kInterruptedMessage - 1));
#else
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kInterruptedMessage, sizeof kInterruptedMessage - 1);
#endif
        _exit(128 + signal);
    }
}

} // namespace

void installInterruptHandler()
{
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, onStopSignal);
#endif
}

} // namespace kolven
