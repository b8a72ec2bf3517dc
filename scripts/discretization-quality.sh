#!/usr/bin/env bash
# The quality table of the README: on the ten stratified folds of `cv --seed 1`, the accuracy and
# coverage of LEM2 and of the exhaustive rules (all orders), without cuts and with MD and entropy
# cuts (fitted on each fold's training part), and the number of rules induced from the whole table.
#   ./scripts/discretization-quality.sh [KOLVEN-CLI]     default: build/cli/kolven-cli
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/cli/kolven-cli}
stats=$(mktemp)
trap 'rm -f "$stats"' EXIT

echo "| table | method | cuts | accuracy | coverage | rules |"
echo "|---|---|---|---|---|---|"
for table in examples/segment-challenge.tab bench/data/glass.tab bench/data/diabetes.tab bench/data/ionosphere.tab examples/iris.tab; do
  for method in lem2 exhaustive; do
    for cuts in none md entropy; do
      options=()
      [ "$cuts" != none ] && options+=(--discretize "$cuts")
      [ "$method" = exhaustive ] && options+=(--all-orders)
      total=$("$cli" -q cv "$table" --method "$method" --seed 1 "${options[@]}" | grep '^Razem')
      "$cli" -q "$method" "$table" "${options[@]}" --stats "$stats" -o /dev/null
      rules=$(($(wc -l < "$stats") - 1))
      accuracy=$(sed -E 's/.*accuracy ([0-9.]+).*/\1/' <<< "$total")
      coverage=$(sed -E 's/.*coverage ([0-9.]+).*/\1/' <<< "$total")
      echo "| $(basename "$table" .tab) | $method | $cuts | $accuracy | $coverage | $rules |"
    done
  done
done
