#!/usr/bin/env bash
# Builds KOLVEN and starts it: the window where a display exists, otherwise the command-line
# program on the bundled example tables.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DKOLVEN_TESTS=OFF -DKOLVEN_BENCH=OFF > /dev/null
cmake --build build -j"$(nproc)" --target kolven kolven-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/app/kolven
fi

cli=./build/cli/kolven-cli
echo "No display found: showing kolven-cli on the example tables."
set -x
"$cli" info examples/weather.nominal.tab
"$cli" exhaustive examples/weather.nominal.tab
"$cli" lem2 examples/contact-lenses.tab
"$cli" knn examples/segment-challenge.tab examples/segment-test.tab -k 3
