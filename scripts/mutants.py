#!/usr/bin/env python3
"""Applies deliberate faults to the code one at a time and checks that the tests catch each.

For each fault: replace one piece of text in one source file, build the test programs that
should notice, run them, put the file back. A fault no test catches is a gap in the tests.
    ./scripts/mutants.py [ID...]        default: every fault
The build goes to build-mutants/ (or to the configured build folder KOLVEN_BUILD_DIR names).
A fault whose text no longer occurs exactly once is reported as "not applied": update its entry.
"""
import os
import re
import subprocess
import sys
from pathlib import Path

# id, layer, fault, file, text, replacement, test programs that must catch it
FAULTS = [
    ("tab-overflow", "core", ".tab value 1e999 read as 0, not refused", "core/table_files.cpp",
     "value = tiny ? 0.0 : std::numeric_limits<double>::infinity();", "value = tiny ? 0.0 : 0.0;", "core"),
    ("tab-comment-in-token", "core", '"//" inside a token no longer ends it', "core/table_files.cpp",
     "while (cursor != end && isTokenChar(*cursor) && !startsComment(cursor, end)) {",
     "while (cursor != end && isTokenChar(*cursor)) {", "core"),
    ("tab-eof", "core", "a token reaching the end of the file accepted", "core/table_files.cpp",
     "return cursor == end ? 0 : std::size_t(cursor - position);", "return std::size_t(cursor - position);", "core"),
    ("timer-clamp", "core", "the timer's clamp at zero removed", "core/perf_timer.cpp",
     "stopStamp_ = spent > overhead_ ? spent - overhead_ : 0;", "stopStamp_ = spent - overhead_;", "core"),
    ("calibration-tie", "core", "calibration tie goes to the later value", "core/perf_timer.cpp",
     "if (entries[i].count > entries[best].count) {", "if (entries[i].count >= entries[best].count) {", "core"),
    ("generator-truncated-range", "core", "generator range 2.9 .. 2.1 refused", "core/generator.cpp",
     "if (std::trunc(max) < std::trunc(min)) {", "if (max < min) {", "core ui cli"),
    ("exhaustive-one-entry", "rules", "an order that stores one entry is not kept", "rules/exhaustive_search.h",
     "kept = *entries > 0 ? order : kept;", "kept = *entries > 1 ? order : kept;", "rules"),
    ("exhaustive-header-room", "rules", "a header may start 44 above the page bottom", "rules/exhaustive_text.cpp",
     "constexpr int kHeaderRoom = 60;", "constexpr int kHeaderRoom = 44;", "rules ui"),
    ("lem2-page-limit", "rules", "a listing page is full when the cursor reaches the limit", "core/text_page.h",
     "return cursorTop() > pageBottom() - kFootRoom;", "return cursorTop() >= pageBottom() - kFootRoom;", "rules ui"),
    ("lem2-line-end", "rules", "LEM2 export lines end in LF", "rules/lem2.cpp",
     "        appendLem2Rule(text, rule, names);\n        text += kLineEnd;",
     "        appendLem2Rule(text, rule, names);\n        text += '\\n';", "rules cli"),
    ("lem2-support-one", "rules", "support [1] shown", "rules/lem2.cpp",
     "if (rule.support != 1) {", "if (rule.support != 0) {", "rules"),
    ("lem2-tie", "rules", "equal counts: the later attribute chosen", "rules/lem2_induction.cpp",
     "if (count > bestCount || (count == bestCount && a == bestAttribute && first < bestRow)) {",
     "if (count >= bestCount || (count == bestCount && a == bestAttribute && first < bestRow)) {", "rules"),
    ("lem2-lanes-last", "rules", "LEM2's byte counts leave out the last attribute of each group",
     "rules/lem2_induction.cpp", "for (std::uint32_t lane = 0; lane < lanes; ++lane) {",
     "for (std::uint32_t lane = 0; lane + 1 < lanes; ++lane) {", "rules"),
    ("lem2-tally-wrap", "rules", "LEM2's byte tallies taken 256 rows at a time", "rules/lem2_induction.cpp",
     "constexpr std::size_t kTallyLimit = 255;", "constexpr std::size_t kTallyLimit = 256;", "rules"),
    ("lem2-twins-same-concept", "rules", "rows sharing values within one concept taken as covered before it",
     "rules/lem2_induction.cpp", "} else if (*first < conceptStartOf(row)) {",
     "} else if (*first < conceptStartOf(row) || first != firsts.end()) {", "rules"),
    ("lem2-forget-goal", "rules", "LEM2's kept first-condition nodes keep their dead objects' place",
     "rules/lem2_induction.cpp", "            node.goalEnd = node.goalStart + goalSize;\n",
     "            node.goalEnd = node.goalStart + goalSize + 1;\n", "rules"),
    ("lem2-concept-order", "rules", "LEM2's concepts' rules joined last concept first", "rules/lem2_induction.cpp",
     "std::move(some.begin(), some.end(), std::back_inserter(rules));",
     "std::move(some.begin(), some.end(), std::inserter(rules, rules.begin()));", "rules"),
    ("pair-codes-top-byte", "rules", "pair codes sorted without the keys' top byte", "rules/lem2_pair_codes.cpp",
     "    for (int b = 0; b < kKeyBytes; ++b) {\n        auto& starts", "    for (int b = 0; b + 1 < kKeyBytes; ++b) {\n        auto& starts",
     "rules"),
    ("lem2-opponents-zero-words", "rules", "LEM2 keeps opponent words left without rows", "rules/lem2_induction.cpp",
     "out += kept != 0; // without a branch", "out += 1; // without a branch", "rules"),
    ("lem2-forget-places", "rules", "LEM2's kept nodes' opponent places moved one slot off their bits",
     "rules/lem2_induction.cpp", "index.begin() + std::ptrdiff_t(front));", "index.begin() + std::ptrdiff_t(front + 1));",
     "rules"),
    ("lem2-implied-last-word", "rules", "LEM2's implied opponents skip the word where the concept ends",
     "rules/lem2_induction.cpp", "if (pastInside - 1 != firstInside && !visit(", "if (false && !visit(", "rules"),
    ("lem2-implied-first-pair", "rules", "LEM2's implied opponents leave out the path's second pair",
     "rules/lem2_induction.cpp", "for (std::uint32_t k = 1; k < count; ++k) {", "for (std::uint32_t k = 2; k < count; ++k) {",
     "rules"),
    ("lem2-implied-full-length", "rules", "a LEM2 node on every attribute left with implied opponents",
     "rules/lem2_induction.cpp", "node.depth <= kImpliedDepth && node.depth < source.attributeCount",
     "node.depth <= kImpliedDepth", "rules"),
    ("lem2-block-opponents-path", "rules", "a rare pair's opponents taken from its block without the path",
     "rules/lem2_induction.cpp", "|| !carriesPath(rowValues(row), path)) {", "|| path.size() > 99) {", "rules"),
    ("lem2-wide-lanes-avx2", "rules", "LEM2's AVX2 byte counts start one attribute late", "rules/lem2_induction.cpp",
     "countLanes<Values, WideByteLanes>(rows, stride, list, first,", "countLanes<Values, WideByteLanes>(rows, stride, list, first + 1,",
     "rules"),
    ("lem2-child-node", "rules", "LEM2's prefix tree gives back the wrong child for a kept one", "rules/lem2_induction.cpp",
     "return {slot.node, false};", "return {slot.node / 2, false};", "rules"),
    ("knn-square-bound", "classify", "the k-NN float prefilter's bound without its error margin",
     "classify/knn_fast.cpp", "const double bound = factor_ * (factor_ * square + term_) + term_;",
     "const double bound = square;", "classify"),
    ("knn-notes-bound", "classify", "the k-NN notes compared with the k-th float square, not its bound",
     "classify/knn_fast.cpp", "if (notes[j].square <= bound[r]) {", "if (notes[j].square <= boundOf[r]) {",
     "classify"),
    ("knn-grid-reach", "classify", "the k-NN grid bound allowing for one object's rounding only",
     "classify/knn_fast.cpp", "reach_ = std::sqrt(double(attributes)) * (1 + 0x1p-28);",
     "reach_ = std::sqrt(double(attributes)) * 0.5;", "classify"),
    ("knn-grid-levels", "classify", "the k-NN grid's steps too many for its sums to fit in 32 bits",
     "classify/knn_fast.cpp", "std::floor(std::sqrt(0x1p29 / attributes)) - 1);",
     "std::floor(std::sqrt(0x1p30 / attributes)));", "classify"),
    ("knn-grid-ends", "classify", "test values twice as far out still put on the k-NN grid",
     "classify/knn_fast.cpp", "if (!(steps >= -levels_ && steps <= 2.0 * levels_)) {",
     "if (!(steps >= -2.0 * levels_ && steps <= 4.0 * levels_)) {", "classify"),
    ("knn-grid-pair-halves", "classify", "a pair's first level in both halves of its word on the k-NN grid",
     "classify/knn_fast.cpp", "pairs[p * step] = levelPair(times * first, times * second);",
     "pairs[p * step] = levelPair(times * first, times * first);", "classify"),
    ("knn-grid-odd-pair", "classify", "the k-NN grid's AVX-512 sums leaving out the last pair of an odd count",
     "classify/knn_fast.cpp", "    if (p < pairCount) {\n        addPairs(", "    if (p + 1 < pairCount) {\n        addPairs(",
     "classify"),
    ("knn-grid-fallback", "classify", "a k-NN row leaving the grid keeps what it noted there",
     "classify/knn_fast.cpp", "                onGrid[r] = false;\n                begin(r);",
     "                onGrid[r] = false;", "classify"),
    ("knn-smallest-squares", "classify", "the k smallest squares taking the entry before instead of the square",
     "classify/knn_fast.cpp", "const Quad entering = before > square ? before : square;",
     "const Quad entering = before > square ? square : before;", "classify"),
    ("knn-k-kept", "classify", "the lowered k not kept after a run", "classify/knn.cpp",
     "    k = lowered;\n    testObjectCount", "    testObjectCount", "classify ui cli"),
    ("knn-k-zero", "classify", "k 0 not taken as 1", "classify/knn.cpp",
     "k = std::max(k, 1u);", "k = std::max(k, 0u);", "classify cli"),
    ("knn-tie", "classify", "tied scores: the first class wins", "classify/knn_reference.cpp",
     "        } else if (scores[c] == scores[minimum]) {\n            unique = false;\n        }", "        }",
     "classify"),
    ("knn-accuracy", "classify", "accuracy 0 / 0 when nothing is caught", "core/ratio.h",
     "return whole == 0 ? 0.0f : static_cast<float>(part)",
     "return whole == 0 ? 0.0f / float(whole) : static_cast<float>(part)", "classify"),
    ("vote-negative-zero", "classify", "voting by decision: an object's -0 no longer finds a rule's 0",
     "classify/rule_classifier.cpp", "return std::bit_cast<std::uint32_t>(value == 0.0f ? 0.0f : value);",
     "return std::bit_cast<std::uint32_t>(value);", "classify"),
    ("vote-cv-shared", "classify", "cross-validation ignores voting by decision",
     "classify/cross_validation.cpp", "settings.matching, settings.voting, threads);",
     "settings.matching, RuleVoting::Shared, threads);", "cli"),
    ("partial-empty-rule", "classify", "partial matching: a rule without conditions no longer matches completely",
     "classify/rule_classifier.cpp", "if (held[i] == conditions.size()) {",
     "if (held[i] == conditions.size() && !conditions.empty()) {", "classify"),
    ("partial-no-condition", "classify", "partial matching: rules with no condition holding vote",
     "classify/rule_classifier.cpp", "for (std::size_t i = 0; i < rules.size() && bestHeld > 0; ++i) {",
     "for (std::size_t i = 0; i < rules.size(); ++i) {", "classify"),
    ("zscore-sample", "classify", "zscore divides by n - 1, not n", "classify/normalization.cpp",
     "scale = std::sqrt(squares / count);", "scale = std::sqrt(squares / std::max(1.0, count - 1));", "classify"),
    ("range-constant", "classify", "a constant attribute rescaled by its range 0", "classify/normalization.cpp",
     "made.scale.push_back(scale > 0 ? scale : 1.0);", "made.scale.push_back(scale);", "classify"),
    ("greedy-tie", "roughsets", "greedy reduct: equal growth goes to the later attribute", "roughsets/reducts.cpp",
     "if (growth[a] > growth[best]) {", "if (growth[a] >= growth[best]) {", "roughsets"),
    ("johnson-tie", "roughsets", "Johnson's reduct: equal weight goes to the later attribute", "roughsets/reducts.cpp",
     "const auto best = std::uint32_t(std::max_element(weight.begin(), weight.end()) - weight.begin());",
     "const auto best = std::uint32_t(weight.size() - 1 - (std::max_element(weight.rbegin(), weight.rend()) - weight.rbegin()));",
     "roughsets"),
    ("small-whole-bound", "roughsets", "the value 1024 coded through the small-number array",
     "roughsets/indiscernibility.cpp", "if (!(value >= 0.0f && value < float(kDirect))) {",
     "if (!(value >= 0.0f && value <= float(kDirect))) {", "roughsets"),
    ("code-boundary", "roughsets", "a value equal to a cut coded into the interval above it",
     "roughsets/discretization.cpp", "return std::uint32_t(std::lower_bound(cuts.begin(), cuts.end(), double(value))",
     "return std::uint32_t(std::upper_bound(cuts.begin(), cuts.end(), double(value))", "roughsets"),
    ("midpoint-float", "roughsets", "cuts halfway in float, not double", "roughsets/discretization.cpp",
     "return (double(lower) + double(upper)) / 2;", "return double((lower + upper) / 2);", "roughsets"),
    ("md-tie", "roughsets", "MD: an equal count moves the cut to a later value", "roughsets/discretization.cpp",
     "if (i + 1 < order.size() && std::uint64_t(separated) > found.separated &&",
     "if (i + 1 < order.size() && std::uint64_t(separated) >= found.separated && separated > 0 &&", "roughsets"),
    ("entropy-tie", "roughsets", "entropy: an equal entropy moves the cut to a later value",
     "roughsets/discretization.cpp", "if (e < bestEntropy) {", "if (e <= bestEntropy) {", "roughsets"),
    ("entropy-delta", "roughsets", "entropy: log2(3^k - 1) in the stopping rule", "roughsets/discretization.cpp",
     "std::log2(std::pow(3.0, k0) - 2)", "std::log2(std::pow(3.0, k0) - 1)", "roughsets"),
    ("width-last-cut", "roughsets", "equal width: K intervals get K cuts", "roughsets/discretization.cpp",
     "for (std::uint32_t i = 1; i < intervals; ++i) {", "for (std::uint32_t i = 1; i <= intervals; ++i) {",
     "roughsets"),
    ("approx-inconsistent-lower", "roughsets", "an inconsistent class counted in the lower approximation",
     "roughsets/approximations.cpp", "            found.classes[d].upper += size;",
     "            found.classes[d].upper += size;\n            found.classes[d].lower += d == decisions[0] ? size : 0;",
     "roughsets"),
    ("core-one-class", "roughsets", "the core misses an attribute whose removal leaves one inconsistent class",
     "roughsets/reducts.cpp", "inCore[a] = partition.classCount() != 0;", "inCore[a] = partition.classCount() > 1;",
     "roughsets"),
    ("lone-key-classes", "roughsets", "objects kept past the lone-key filter merge across classes",
     "roughsets/indiscernibility.cpp",
     "        });\n        if (repeated_.objects.size() > repeated_.starts.back()) {\n            repeated_.starts.push_back(std::uint32_t(repeated_.objects.size()));\n        }\n    }",
     "        });\n    }\n    if (repeated_.objects.size() > repeated_.starts.back()) {\n        repeated_.starts.push_back(std::uint32_t(repeated_.objects.size()));\n    }",
     "roughsets"),
    ("input-stream-full", "core", "a stream whose buffer is full is taken to have ended", "core/file_access.cpp",
     "const std::size_t block = text.capacity() > used ? text.capacity() - used : kBlock;",
     "const std::size_t block = text.capacity() - used;", "core"),
    ("tab-block-split", "core", "a .tab file's blocks cut anywhere, not after a line feed", "core/table_files.cpp",
     "        if (ended_) {\n            lastBlock_ = filled_;",
     "        if (ended_ || filled_ > 0) {\n            lastBlock_ = filled_;", "core"),
    ("cli-seed", "cli", "generate --seed ignored", "cli/cli.cpp",
     "generator.generate(table, p->objects, p->attributes, min, max, p->seed);",
     "generator.generate(table, p->objects, p->attributes, min, max);", "cli"),
    ("cli-usage-exit", "cli", "a usage error exits 1", "cli/cli.h", "kExitUsage = 2", "kExitUsage = 1", "cli"),
    ("knn-dalej", "ui", "DALEJ left visible over the k-NN results after a long listing", "ui/application_results.cpp",
     "void Application::showKnn()\n{\n    painter_.setNextButtonVisible(false);", "void Application::showKnn()\n{",
     "ui"),
    ("knn-memory-k", "ui", "k not restored after running out of memory", "ui/application.cpp",
     "    state_.knn.k = kBefore;\n    hideAndClear();", "    (void)kBefore;\n    hideAndClear();", "ui"),
    ("menu-show-knn", "ui", "a new test system leaves the k-NN results enabled", "ui/application.cpp",
     "    state_.computed.knn = false;\n    state_.computed.ruleClassification = false;",
     "    state_.computed.ruleClassification = false;", "ui"),
    ("dialog-zero-objects", "ui", "OK enabled with 0 objects", "ui/parameter_dialog.cpp",
     "return shownFieldsFilled() && objects_ != 0;", "return shownFieldsFilled();", "ui"),
    ("grid-width-15", "ui", "the grid's frame width at 15 attributes", "ui/grid_editor.cpp",
     "int width = attributes < 15 ? int(attributes) * 18 + 32 : 284;",
     "int width = attributes <= 15 ? int(attributes) * 18 + 32 : 284;", "ui"),
    ("grid-last-label", "ui", "the grid's last column label as wide as the others", "ui/grid_editor.cpp",
     "const int width = c == visibleColumns_ - 1 ? columnPitch() - 11 : columnPitch() - 1;",
     "const int width = columnPitch() - 1;", "ui"),
    ("qt-menu-mirror", "qt", "the window's menu does not grey entries", "ui/qt/main_window.cpp",
     "        entry->setEnabled(enabled);", "        entry->setEnabled(enabled || true);", "qt"),
    ("qt-dalej", "qt", "DALEJ never shown in the window", "ui/qt/qt_screen.cpp",
     "window_.nextButton().setVisible(visible);", "(void)visible;", "qt"),
    ("qt-quit-asks", "qt", "Zakoncz asks before closing", "ui/qt/main_window.cpp",
     "    closingWithoutAsking_ = true;\n    close();", "    close();", "qt"),
]


def run_tests(build, layer):
    program = build / "tests" / layer / f"kolven_{layer}_tests"
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen", QTEST_FUNCTION_TIMEOUT="60000")
    try:
        result = subprocess.run([str(program), "--gtest_brief=1"], capture_output=True, text=True,
                                env=environment, timeout=600)
    except subprocess.TimeoutExpired:
        return ["(timed out)"]
    return sorted(set(re.findall(r"\[  FAILED  \] (\S+)", result.stdout))) or (["(crashed)"] if result.returncode else [])


def main():
    root = Path(__file__).resolve().parent.parent
    build = root / os.environ.get("KOLVEN_BUILD_DIR", "build-mutants")
    if not (build / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "-S", str(root), "-B", str(build), "-DKOLVEN_BENCH=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
    wanted = set(sys.argv[1:])
    missed = 0
    for name, layer, fault, path, text, replacement, programs in FAULTS:
        if wanted and name not in wanted:
            continue
        source = root / path
        original = source.read_text()
        if original.count(text) != 1:
            print(f"{name:28} not applied: the text occurs {original.count(text)} times", flush=True)
            continue
        source.write_text(original.replace(text, replacement))
        try:
            failed = []
            for program in programs.split():
                built = subprocess.run(["cmake", "--build", str(build), "--target", f"kolven_{program}_tests",
                                        "-j" + os.environ.get("KOLVEN_JOBS", "2")], capture_output=True)
                failed = run_tests(build, program) if built.returncode == 0 else ["(does not build: mend the fault)"]
                if failed:
                    break
        finally:
            source.write_text(original)
        missed += 0 if failed else 1
        print(f"{name:28} {layer:9} {'caught by ' + ', '.join(failed[:2]) if failed else 'NOT CAUGHT'}: {fault}",
              flush=True)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
