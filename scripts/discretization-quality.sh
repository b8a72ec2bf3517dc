#!/usr/bin/env bash
# The quality table of the README: on the ten stratified folds of `cv --seed 1`, the accuracy and
# coverage of LEM2 and of the exhaustive rules (all orders), without cuts and with MD and entropy
# cuts (fitted on each fold's training part), and the number of rules induced from the whole table;
# then the same folds with cuts and partial matching (cv --partial), LEM2 also simplified and voting
# by decision (cv --vote-by-decision), each row held against the goal:
# coverage at least 0.95 and accuracy at most 2 points below the better peer's.
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

# The better peer's accuracy on each table (the README lists both peers).
declare -A peer=([segment-challenge]=0.956 [glass]=0.692 [diabetes]=0.711 [ionosphere]=0.863 [iris]=0.946)
echo
echo "| table | method | cuts | matching | accuracy | coverage | goal |"
echo "|---|---|---|---|---|---|---|"
for table in examples/segment-challenge.tab bench/data/glass.tab bench/data/diabetes.tab bench/data/ionosphere.tab examples/iris.tab; do
  name=$(basename "$table" .tab)
  for method in lem2 "lem2 --simplify" "lem2 --vote-by-decision" "lem2 --simplify --vote-by-decision" \
    "exhaustive --all-orders"; do
    for cuts in md entropy; do
      read -ra chosen <<< "$method"
      total=$("$cli" -q cv "$table" --method "${chosen[@]}" --seed 1 --discretize "$cuts" --partial | grep '^Razem')
      accuracy=$(sed -E 's/.*accuracy ([0-9.]+).*/\1/' <<< "$total")
      coverage=$(sed -E 's/.*coverage ([0-9.]+).*/\1/' <<< "$total")
      goal=$(awk -v a="$accuracy" -v c="$coverage" -v p="${peer[$name]}" \
        'BEGIN { print (c >= 0.95 && a >= p - 0.02 - 1e-9 ? "met" : "not met") }')
      variant=""
      for flag in "${chosen[@]:1}"; do
        variant+="${variant:+, }${flag#--}"
      done
      echo "| $name | ${chosen[0]}${variant:+ ($variant)} | $cuts | partial | $accuracy | $coverage | $goal |"
    done
  done
done
