#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given number of seconds, one after the other.
#
#   fuzz/run.sh SECONDS
#
# Each target starts from its seed corpus (fuzz/corpus/TARGET, kept in the repository) and
# grows a working corpus in the build folder. A crash, a broken property, a leak, a hang or an
# input that needs too much memory is a finding: its input is saved in the build folder, the
# script says where, and it exits non-zero once every target has run. Keep the input under
# fuzz/regressions/TARGET once the fault is fixed; CTest replays that folder.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
    sed -n '5p' "$0" >&2
    exit 2
fi
duration=$1
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${JOBS:-2}
targets=(fuzz_packed_text fuzz_test_text fuzz_content_names fuzz_exam_protocol fuzz_question_bank)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNORMAKURS_FUZZ=ON -DNORMAKURS_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

failed=()
summary=()
for target in "${targets[@]}"; do
    work="$build/fuzz/work/$target"
    findings="$build/fuzz/findings/$target"
    log="$build/fuzz/$target.log"
    mkdir -p "$work" "$findings"
    echo "== $target: $duration s"
    set +e
    "$build/fuzz/$target" -max_total_time="$duration" -rss_limit_mb=2048 -malloc_limit_mb=512 \
        -timeout=60 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    summary+=("$target: ${runs:-?} executions, exit status $status")
    if [ $status -ne 0 ]; then
        failed+=("$target")
        tail -n 60 "$log"
        echo "$target: finding kept in $findings/ (log: $log)"
    fi
done

echo "== fuzzing, $duration s a target"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]}"
    exit 1
fi
