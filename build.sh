#!/usr/bin/env bash
# One entry point for people and CI.
#   ./build.sh run    install what is missing, build, start the program on the demo course
#   ./build.sh test   install what is missing, build, run all tests (the desktop ones under Xvfb
#                     with openbox), make and check the packages, run the tests again under
#                     AddressSanitizer + UndefinedBehaviorSanitizer + LeakSanitizer, then each
#                     fuzz target 60 s
#   ./build.sh build  install what is missing and build (Release) without running anything
#   ./build.sh format check that every C++ file follows .clang-format (changes nothing)
#   ./build.sh deps   only install what is missing
# Environment: JOBS (default 2); BUILD_DIR (default build; the sanitizer build goes to
# BUILD_DIR-asan); FUZZ_BUILD_DIR (default build-fuzz); FUZZ_SECONDS (default 60).
set -euo pipefail
cd "$(dirname "$0")"

JOBS=${JOBS:-2}
BUILD_DIR=${BUILD_DIR:-build}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}

install_packages() { # list files...
    local wanted missing=()
    wanted=$(cat "$@" | grep -v -E '^\s*(#|$)')
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo apt-get update -q
        # The packages are for building and testing: none of their services (the test's own
        # sshd among them) is to start and listen on this machine while they are installed.
        local policy=/usr/sbin/policy-rc.d made_policy=""
        if [ ! -e "$policy" ]; then
            printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
            $sudo chmod 755 "$policy"
            made_policy=1
        fi
        local status=0
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" || status=$?
        if [ -n "$made_policy" ]; then $sudo rm -f "$policy"; fi
        return "$status"
    fi
}

configure_and_build() { # dir, extra cmake args...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$dir" -j"$JOBS"
}

run_tests() { # dir
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure -j"$JOBS"
}

case "${1:-}" in
deps)
    install_packages scripts/debian-packages.txt scripts/debian-test-packages.txt
    ;;
run)
    install_packages scripts/debian-packages.txt
    configure_and_build "$BUILD_DIR"
    exec "./$BUILD_DIR/normakurs"
    ;;
format)
    install_packages scripts/debian-packages.txt scripts/debian-test-packages.txt
    find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' | sort |
        xargs clang-format --dry-run --Werror
    echo "format: every C++ file follows .clang-format"
    ;;
build)
    install_packages scripts/debian-packages.txt
    configure_and_build "$BUILD_DIR"
    ;;
test)
    install_packages scripts/debian-packages.txt scripts/debian-test-packages.txt
    configure_and_build "$BUILD_DIR"
    run_tests "$BUILD_DIR"
    scripts/check-package.sh "$BUILD_DIR"
    configure_and_build "$BUILD_DIR-asan" -DNORMAKURS_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
    # Leaks count as failures. The suppressions name only leaks inside system libraries and the
    # browser engine (tests/lsan-suppressions.txt); a leak of ours is never suppressed. The path
    # is quoted: the sanitizers split their options at blanks, and a clone's path may hold one.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
        LSAN_OPTIONS="suppressions='$PWD/tests/lsan-suppressions.txt':print_suppressions=0" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_tests "$BUILD_DIR-asan"
    fuzz/run.sh "$FUZZ_SECONDS"
    ;;
*)
    sed -n '2,12p' "$0"
    exit 2
    ;;
esac
