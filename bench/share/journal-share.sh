#!/usr/bin/env bash
# The journal on a lab's network share, against what the share itself allows. The share is an
# sshfs mount of a folder served by delayed_sftp.py on 127.0.0.1 (every chunk held DELAY_MS in
# each direction), freshly mounted for every measurement so that no kernel cache carries over.
#
#   first load   normakurs-text journal with an empty journal cache
#     floor      cat of the same files, 16 at a time (xargs -P16)
#   second load  normakurs-text journal again, nothing changed, its cache from the first load
#     floor      one listing of the same folders (ls -f of the content folder and of every
#                reports folder)
#   report tree  the teacher's window's report tree alone (normakurs-listing-probe, which also
#                times the textbook's trees and the testing window's subjects, printed as they are)
#     floor      the same listing of the folders as for the second load
#   start-up     the program's start-up to the launcher's first paint, offscreen, over the
#                share as its program folder (with PROGRAM_START, the test suite's program_start)
#     floor      ls -f of every folder it lists, one after the other (a subject's presentations
#                and videos folders too, where a missing one costs ls a look)
#
#   bench/share/journal-share.sh [COUNT...]      (default: 2000 10000)
# Environment: DELAY_MS (default 1), ROUNDS (default 3), TOOL (default build/normakurs-text),
# PROGRAM_START (default build/tests/program_start), LISTING_PROBE (default
# build/normakurs-listing-probe); either is skipped where it is not built.
# Prints each measurement, then the medians and their ratios to the floors. Needs root (FUSE),
# sshfs and the OpenSSH sftp-server.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
TOOL=${TOOL:-$repo/build/normakurs-text}
DELAY_MS=${DELAY_MS:-1}
ROUNDS=${ROUNDS:-3}
PROGRAM_START=${PROGRAM_START:-$repo/build/tests/program_start}
LISTING_PROBE=${LISTING_PROBE:-$repo/build/normakurs-listing-probe}
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(2000 10000)
UNMOUNT=$(command -v fusermount3 || command -v fusermount)
[ -x "$TOOL" ] || { echo "no $TOOL: build normakurs-text first" >&2; exit 2; }

work=$(mktemp -d /tmp/normakurs-share-bench.XXXXXX)
mnt=$work/share
mkdir "$mnt"
proxy_pid=
cleanup() {
    grep -qF " $mnt " /proc/mounts && "$UNMOUNT" -u "$mnt"
    [ -z "$proxy_pid" ] || kill "$proxy_pid" 2>/dev/null
    grep -qF " $mnt " /proc/mounts || rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 "$here/delayed_sftp.py" "$port" "$DELAY_MS" &
proxy_pid=$!
for _ in $(seq 1 100); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port)).close()" 2>/dev/null && break
    sleep 0.05
done

mount_share() { # REMOTE_FOLDER
    sshfs -o "directport=$port" "127.0.0.1:$1" "$mnt"
}
unmount_share() {
    "$UNMOUNT" -u "$mnt"
}
now() { date +%s.%N; }
seconds() { # START END
    echo "$1 $2" | awk '{ printf "%.3f\n", $2 - $1 }'
}
median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
     "sshfs $(sshfs --version 2>&1 | awk '/SSHFS version/ { print $3 }'), ${DELAY_MS} ms each way"
summary=()
for count in "${counts[@]}"; do
    remote=$work/remote-$count
    python3 "$here/make_reports.py" "$remote/Content" "$count"
    (cd "$remote/Content" && find . -type f -print0) >"$work/files-$count"
    : >"$work/first-$count"; : >"$work/cat-$count"; : >"$work/second-$count"; : >"$work/ls-$count"
    : >"$work/start-$count"; : >"$work/all-$count"; : >"$work/tree-$count"
    for round in $(seq 1 "$ROUNDS"); do
        cache=$work/cache-$count-$round
        mkdir -p "$cache"

        mount_share "$remote"
        t0=$(now)
        XDG_CACHE_HOME=$cache "$TOOL" journal "$mnt/Content" >"$work/csv-first"
        t1=$(now)
        unmount_share
        seconds "$t0" "$t1" >>"$work/first-$count"

        mount_share "$remote"
        t0=$(now)
        (cd "$mnt/Content" && xargs -0 -P16 -n32 cat <"$work/files-$count" >/dev/null)
        t1=$(now)
        unmount_share
        seconds "$t0" "$t1" >>"$work/cat-$count"

        mount_share "$remote"
        t0=$(now)
        XDG_CACHE_HOME=$cache "$TOOL" journal "$mnt/Content" >"$work/csv-second"
        t1=$(now)
        unmount_share
        seconds "$t0" "$t1" >>"$work/second-$count"
        cmp -s "$work/csv-first" "$work/csv-second" ||
            { echo "the second load's CSV differs from the first's" >&2; exit 1; }

        mount_share "$remote"
        t0=$(now)
        ls -f "$mnt/Content" >/dev/null
        for folder in "$mnt"/Content/*/Тесты/Отчеты; do ls -f "$folder" >/dev/null; done
        t1=$(now)
        unmount_share
        seconds "$t0" "$t1" >>"$work/ls-$count"

        if [ -x "$LISTING_PROBE" ]; then
            mount_share "$remote"
            "$LISTING_PROBE" "$mnt/Content/" >"$work/listings"
            unmount_share
            echo "$count reports, round $round, start-up listings: $(tr '\n' ' ' <"$work/listings")"
            sed -n 's/^reports_ms=\([0-9.]*\).*/\1/p' "$work/listings" |
                awk '{ printf "%.3f\n", $1 / 1000 }' >>"$work/tree-$count"
        fi

        if [ -x "$PROGRAM_START" ]; then
            mount_share "$remote"
            t0=$(now)
            QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$(dirname "$TOOL")" \
                "$PROGRAM_START" "$mnt/" >/dev/null 2>&1
            t1=$(now)
            unmount_share
            seconds "$t0" "$t1" >>"$work/start-$count"

            mount_share "$remote"
            t0=$(now)
            ls -f "$mnt/Content" >/dev/null
            for folder in "$mnt"/Content/*; do
                ls -f "$folder" "$folder/Тесты" "$folder/Тесты/Отчеты" >/dev/null
                ls -f "$folder/Презентации" "$folder/Видео" >/dev/null 2>&1 || true
            done
            t1=$(now)
            unmount_share
            seconds "$t0" "$t1" >>"$work/all-$count"
            echo "$count reports, round $round: start-up $(tail -1 "$work/start-$count") s," \
                 "every folder listed $(tail -1 "$work/all-$count") s"
        fi

        echo "$count reports, round $round: first $(tail -1 "$work/first-$count") s," \
             "cat x16 $(tail -1 "$work/cat-$count") s, second $(tail -1 "$work/second-$count") s," \
             "listing $(tail -1 "$work/ls-$count") s"
    done
    rows=$(($(wc -l <"$work/csv-first") - 1))
    [ "$rows" -eq "$count" ] || { echo "the journal has $rows rows, not $count" >&2; exit 1; }
    first=$(median <"$work/first-$count"); floor=$(median <"$work/cat-$count")
    second=$(median <"$work/second-$count"); listing=$(median <"$work/ls-$count")
    summary+=("$(printf '%6d reports  first load %7.3f s  cat x16 %7.3f s  ratio %5.2f   second load %7.3f s  listing %7.3f s  ratio %5.2f' \
        "$count" "$first" "$floor" "$(echo "$first $floor" | awk '{ print $1 / $2 }')" \
        "$second" "$listing" "$(echo "$second $listing" | awk '{ print $1 / $2 }')")")
    if [ -x "$LISTING_PROBE" ]; then
        tree=$(median <"$work/tree-$count")
        summary+=("$(printf '%6d reports  report tree %7.3f s  listing %7.3f s  ratio %5.2f' \
            "$count" "$tree" "$listing" "$(echo "$tree $listing" | awk '{ print $1 / $2 }')")")
    fi
    if [ -x "$PROGRAM_START" ]; then
        start=$(median <"$work/start-$count"); all=$(median <"$work/all-$count")
        summary+=("$(printf '%6d reports  start-up %7.3f s  every folder listed %7.3f s  ratio %5.2f' \
            "$count" "$start" "$all" "$(echo "$start $all" | awk '{ print $1 / $2 }')")")
    fi
done
echo
echo "Medians of $ROUNDS rounds:"
printf '%s\n' "${summary[@]}"
