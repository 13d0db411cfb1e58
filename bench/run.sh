#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Writes bench/results.json (Google Benchmark's
# JSON) and prints a short table of the medians: each figure beside its floor measured in the
# same run, and their ratio.
#   bench/run.sh [extra Google Benchmark flags, e.g. --benchmark_filter=P2]
set -euo pipefail
cd "$(dirname "$0")/.."
./build.sh deps
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORMAKURS_TESTS=OFF >/dev/null
cmake --build build-bench -j"${JOBS:-2}" --target normakurs-bench >/dev/null
export QT_QPA_PLATFORM=offscreen
./build-bench/normakurs-bench --benchmark_out=bench/results.json --benchmark_out_format=json \
    --benchmark_counters_tabular=false "$@" | tee build-bench/console.txt >/dev/null

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
printf '%-34s %s\n' "benchmark (median)" "figures"
grep -E '_median|^StartUp' build-bench/console.txt | awk '{
    name = $1; sub(/\/.*/, "", name);
    figures = "";
    for (i = 2; i <= NF; ++i) if ($i ~ /=/) figures = figures " " $i;
    printf "%-34s%s\n", name, figures;
}'
