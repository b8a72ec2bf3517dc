#!/usr/bin/env bash
# Builds the benchmarks (release), runs every benchmark in a process of its own (so that its peak
# memory is its own) and prints one table: time, peak memory, throughput, and for a benchmark
# BM_X that has a straightforward reference BM_XReference, how many times faster it is.
#   ./scripts/bench.sh [FILTER]      FILTER: a regular expression over benchmark names
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKOLVEN_GUI=OFF -DKOLVEN_TESTS=OFF -DKOLVEN_BENCH=ON > /dev/null
cmake --build build-bench -j"$(nproc)"

filter=${1:-.}
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for program in build-bench/bench/kolven_bench_*; do
  for name in $("$program" --benchmark_list_tests | grep -E "$filter" || true); do
    "$program" --benchmark_filter="^${name}\$" --benchmark_format=csv 2>/dev/null | grep -E '^(name|")' >> "$results" || true
  done
done

model=$(lscpu 2>/dev/null | sed -n 's/^Model name:[[:space:]]*//p' | head -1)
# The vector extensions k-NN picks from at run time: its figures depend on them.
vectors=$(grep -o -w -E 'avx2|avx512f|avx512_vnni' /proc/cpuinfo 2>/dev/null | sort -u | tr '\n' ' ')
echo "machine: ${model:-unknown processor}, $(nproc) cores, ${vectors:-no AVX2 }load average $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
awk -F, '
  function unquote(s) { gsub(/"/, "", s); return s }
  function seconds(t, unit) { return unit == "ns" ? t / 1e9 : unit == "us" ? t / 1e6 : unit == "ms" ? t / 1e3 : t }
  # Each benchmark comes with its own header: one without a peak_MiB counter has no peak to show
  # (another column there would be another counter).
  /^name,/ { peakColumn = 0; for (i = 1; i <= NF; i++) if (unquote($i) == "peak_MiB") peakColumn = i; next }
  {
    name = unquote($1); gsub(/\/(real_time|process_time|iterations:[0-9]+)/, "", name); n++; names[n] = name
    time[name] = seconds($3, unquote($5)); cpu[name] = seconds($4, unquote($5))
    peak[name] = peakColumn > 0 ? sprintf("%.1f", $peakColumn) : "-"; rate[name] = $6
  }
  END {
    printf "%-44s %12s %12s %10s %12s %12s\n", "benchmark", "time (s)", "cpu (s)", "peak MiB", "MB/s", "speed-up"
    for (i = 1; i <= n; i++) {
      name = names[i]
      ref = name; if (!sub(/\//, "Reference/", ref)) ref = name "Reference"
      ratio = (ref in time && ref != name) ? sprintf("%.1fx", time[ref] / time[name]) : "-"
      if (ratio == "-" && name ~ /Threads\/[0-9]+$/) {
        one = name; sub(/\/[0-9]+$/, "/1", one)
        if (one in time && one != name) ratio = sprintf("%.2fx thr", time[one] / time[name])
      }
      mb = rate[name] != "" ? sprintf("%.0f", rate[name] / 1e6) : "-"
      printf "%-44s %12.6f %12.6f %10s %12s %12s\n", name, time[name], cpu[name], peak[name], mb, ratio
    }
  }' "$results"
