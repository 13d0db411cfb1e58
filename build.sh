#!/usr/bin/env bash
# One entry point for people and CI.
#   ./build.sh run    install what is missing, build, start the program on the demo course
#   ./build.sh test   install what is missing, build, run all tests, then again under
#                     AddressSanitizer + UndefinedBehaviorSanitizer
#   ./build.sh build  install what is missing and build (Release) without running anything
set -euo pipefail
cd "$(dirname "$0")"

JOBS=${JOBS:-2}

install_packages() {
    local wanted missing=()
    wanted=$(grep -v -E '^\s*(#|$)' scripts/debian-packages.txt)
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
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
run)
    install_packages
    configure_and_build build
    exec ./build/normakurs
    ;;
build)
    install_packages
    configure_and_build build
    ;;
test)
    install_packages
    configure_and_build build
    run_tests build
    configure_and_build build-asan -DNORMAKURS_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_tests build-asan
    ;;
*)
    sed -n '2,7p' "$0"
    exit 2
    ;;
esac
