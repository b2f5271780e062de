#!/usr/bin/env bash
# Velmorra's entry script.
#   ./dev.sh run    build the application and show its window
#   ./dev.sh test   build everything and run the whole test suite
# Each installs the Debian packages it lacks (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libboost-context-dev)
TEST_PACKAGES=(libgtest-dev clang libclang-rt-14-dev)
# The link label opens its address with the desktop's opener.
RUN_PACKAGES=(xdg-utils)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

configure() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

cmd=${1:-}
case "$cmd" in
run)
    install_missing "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
    configure build/app -DCMAKE_BUILD_TYPE=Release -DVELMORRA_TESTS=OFF -DVELMORRA_BENCH=OFF
    cmake --build build/app --target velmorra
    exec build/app/app/velmorra
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    export QT_QPA_PLATFORM=offscreen
    jobs=$(nproc)

    echo "== Tests"
    configure build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build/test
    ctest --test-dir build/test --output-on-failure -j "$jobs"

    echo "== Tests under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer"
    configure build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORRA_SANITIZE=ON -DVELMORRA_BENCH=OFF
    cmake --build build/asan
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build/asan --output-on-failure -j "$jobs"

    echo "== Fuzzing the engine for ${VELMORRA_FUZZ_SECONDS:-60} s"
    CC=clang CXX=clang++ configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORRA_FUZZ=ON \
        -DVELMORRA_GUI=OFF -DVELMORRA_TESTS=OFF -DVELMORRA_BENCH=OFF
    cmake --build build/fuzz
    rm -rf build/fuzz/corpus && mkdir -p build/fuzz/corpus build/fuzz/artifacts
    cp tests/fuzz/corpus/* build/fuzz/corpus/
    # Inputs that once broke the engine are replayed first.
    build/fuzz/tests/fuzz/convert_file_fuzz tests/fuzz/corpus/* >/dev/null 2>&1
    build/fuzz/tests/fuzz/convert_file_fuzz -max_total_time="${VELMORRA_FUZZ_SECONDS:-60}" -print_final_stats=1 \
        -artifact_prefix=build/fuzz/artifacts/ build/fuzz/corpus 2>build/fuzz/fuzz.log \
        || { tail -n 40 build/fuzz/fuzz.log; exit 1; }
    grep -E "^#[0-9]+.*(DONE|pulse|NEW)" build/fuzz/fuzz.log | tail -n 1
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" build/fuzz/fuzz.log
    echo "All test stages passed."
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
