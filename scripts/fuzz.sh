#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) on a corpus seeded
# from the test tables and fuzz/seeds/TARGET-*, after the inputs of earlier findings
# (fuzz/regressions/TARGET-*).
# New findings are written to build-fuzz/findings/.
#   ./scripts/fuzz.sh [SECONDS] [TARGET...]     TARGET: tab msd csv arff algorithms
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tab msd csv arff algorithms)

./scripts/install-deps.sh
CXX=clang++ cmake -S . -B build-fuzz -DKOLVEN_FUZZ=ON -DKOLVEN_GUI=OFF -DKOLVEN_TESTS=OFF -DKOLVEN_BENCH=OFF > /dev/null
cmake --build build-fuzz -j"${KOLVEN_JOBS:-$(nproc)}" --target kolven-cli "${targets[@]/#/kolven_fuzz_}"

mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  case $target in
    msd) for f in tests/data/*.tab; do ./build-fuzz/cli/kolven-cli convert "$f" -o "$corpus/$(basename "$f" .tab).msd" 2>/dev/null || true; done ;;
    csv) cp examples/*.csv "$corpus/" ;;
    arff) cp tests/data/*.arff "$corpus/" ;;
    *) cp tests/data/*.tab "$corpus/" ;;
  esac
  # Seeds for the paths the tables above do not reach (decimal commas, missing values, weights).
  seeds=(fuzz/seeds/"$target"-*)
  if [ -e "${seeds[0]}" ]; then cp "${seeds[@]}" "$corpus/"; fi
  # Inputs that once found a fault run first, every time.
  regressions=(fuzz/regressions/"$target"-*)
  if [ -e "${regressions[0]}" ]; then
    echo "== $target: ${#regressions[@]} earlier findings"
    ./build-fuzz/fuzz/kolven_fuzz_"$target" "${regressions[@]}" 2>&1 | tail -n 1
  fi
  echo "== fuzzing $target for ${seconds}s"
  ./build-fuzz/fuzz/kolven_fuzz_"$target" "$corpus" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix=build-fuzz/findings/"$target"- -print_final_stats=1 2>&1 | tail -n 12
done
