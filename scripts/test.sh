#!/usr/bin/env bash
# Builds KOLVEN and runs every test: the full build (GUI tests offscreen), then the tests that do
# not need Qt once more, built by clang with the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
jobs=$(nproc)
werror=${KOLVEN_WERROR:-OFF}

# The tests are asked for by name: a build folder that ./scripts/run.sh configured without them
# would otherwise keep them off, and ctest would pass without running any (it must not).
cmake -S . -B build -DKOLVEN_TESTS=ON -DKOLVEN_WERROR="$werror"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

# clang's undefined-behaviour checks see more than gcc's (null pointer arithmetic among them).
CXX=clang++ cmake -S . -B build-sanitize -DKOLVEN_TESTS=ON -DKOLVEN_GUI=OFF -DKOLVEN_BENCH=OFF -DKOLVEN_SANITIZE=ON -DKOLVEN_WERROR="$werror"
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j"$jobs"
