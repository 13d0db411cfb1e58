#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Writes bench/results-offscreen.json and
# bench/results-xcb.json (Google Benchmark's JSON) and prints a short table of the medians: each figure beside its floor measured in the
# same run, and their ratio.
#   bench/run.sh [extra Google Benchmark flags, e.g. --benchmark_filter=P2]
set -euo pipefail
cd "$(dirname "$0")/.."
./build.sh deps
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORMAKURS_TESTS=OFF >/dev/null
cmake --build build-bench -j"${JOBS:-2}" --target normakurs-bench >/dev/null
# P1-P5 need no display; start-up and the first pages are measured where users are: on an X11
# display (Xvfb) with a window manager, the xcb platform.
QT_QPA_PLATFORM=offscreen ./build-bench/normakurs-bench --benchmark_filter='^P' \
    --benchmark_out=bench/results-offscreen.json --benchmark_out_format=json \
    --benchmark_counters_tabular=false "$@" | tee build-bench/console.txt >/dev/null
tests/app/desktop/with-openbox.sh 1366x768 ./build-bench/normakurs-bench \
    --benchmark_filter='^(StartUp|FirstPage)' \
    --benchmark_out=bench/results-xcb.json --benchmark_out_format=json \
    --benchmark_counters_tabular=false "$@" | tee -a build-bench/console.txt >/dev/null

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
printf '%-34s %s\n' "benchmark (median)" "figures"
grep -E '_median|^StartUp|^FirstPage' build-bench/console.txt | awk '{
    name = $1; sub(/\/.*/, "", name);
    figures = "";
    for (i = 2; i <= NF; ++i) if ($i ~ /=/) figures = figures " " $i;
    printf "%-34s%s\n", name, figures;
}'
