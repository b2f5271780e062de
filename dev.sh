#!/usr/bin/env bash
# Velmorra's entry script.
#   ./dev.sh run    build the application and show its window
#   ./dev.sh test   build everything and run the whole test suite
# Each installs the Debian packages it lacks (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libboost-context-dev)
# The GUI tests measure text in the fonts desktops use: Debian's default,
# KDE Plasma's and GNOME's.
TEST_PACKAGES=(libgtest-dev clang libclang-rt-14-dev fonts-dejavu-core fonts-noto-core fonts-cantarell)
# The link label opens its address with the desktop's opener.
RUN_PACKAGES=(xdg-utils)

# install_missing WHY PACKAGE...
install_missing() {
    local why=$1; shift
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages $why: ${missing[*]}"
    echo "(once per machine; this can take several minutes)"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Updating the package lists..."
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# Without a runtime folder (root, CI) Qt makes one under /tmp, says so on
# stderr and leaves it behind: give it one in the build tree instead.
use_runtime_dir() {
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        export XDG_RUNTIME_DIR=$PWD/build/runtime
        mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    fi
}

configure() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

# The test command's own builds treat warnings as errors.
configure_strict() {
    configure "$@" -DVELMORRA_WERROR=ON
}

cmd=${1:-}
case "$cmd" in
run)
    install_missing "to build and run Velmorra" "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
    configure build/app -DCMAKE_BUILD_TYPE=Release -DVELMORRA_TESTS=OFF -DVELMORRA_BENCH=OFF
    cmake --build build/app --target velmorra
    use_runtime_dir
    exec build/app/app/velmorra
    ;;
test)
    install_missing "to build and test Velmorra" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    export QT_QPA_PLATFORM=offscreen
    use_runtime_dir
    jobs=$(nproc)

    echo "== Tests"
    configure_strict build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build/test
    ctest --test-dir build/test --output-on-failure -j "$jobs"

    echo "== Tests under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer"
    configure_strict build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORRA_SANITIZE=ON -DVELMORRA_BENCH=OFF
    cmake --build build/asan
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build/asan --output-on-failure -j "$jobs"

    seconds=${VELMORRA_FUZZ_SECONDS:-60}
    # libFuzzer takes 0 for "no limit": the stage would never end.
    [[ "$seconds" =~ ^[0-9]+$ && "$seconds" -gt 0 ]] || { echo "VELMORRA_FUZZ_SECONDS must be a whole number above 0" >&2; exit 2; }
    echo "== Fuzzing the engine for $seconds s"
    CC=clang CXX=clang++ configure_strict build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORRA_FUZZ=ON \
        -DVELMORRA_GUI=OFF -DVELMORRA_TESTS=OFF -DVELMORRA_BENCH=OFF
    cmake --build build/fuzz
    fuzzer=build/fuzz/tests/fuzz/convert_file_fuzz
    # The fuzz target makes its scratch folder under TMPDIR. A crash ends
    # libFuzzer without running exit handlers, so the folder is given here
    # and removed here, whatever way the stage ends.
    scratch=$PWD/build/fuzz/tmp
    trap 'rm -rf "$scratch"' EXIT
    rm -rf "$scratch" build/fuzz/corpus
    mkdir -p "$scratch" build/fuzz/corpus build/fuzz/artifacts
    cp tests/fuzz/corpus/* build/fuzz/corpus/
    # Inputs that once broke the engine are replayed first, one at a time, so
    # that a failure names its input.
    for input in tests/fuzz/corpus/*; do
        TMPDIR=$scratch "$fuzzer" -artifact_prefix=build/fuzz/artifacts/ "$input" >build/fuzz/replay.log 2>&1 || {
            tail -n 40 build/fuzz/replay.log
            echo "fuzz input breaks the engine: $input"
            exit 1
        }
    done
    TMPDIR=$scratch "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build/fuzz/artifacts/ build/fuzz/corpus 2>build/fuzz/fuzz.log || {
        tail -n 40 build/fuzz/fuzz.log
        sed -n 's/.*Test unit written to \(.*\)/fuzzing found an input that breaks the engine: \1/p' build/fuzz/fuzz.log
        exit 1
    }
    grep -E "^#[0-9]+.*(DONE|pulse|NEW)" build/fuzz/fuzz.log | tail -n 1 || true
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" build/fuzz/fuzz.log || true
    echo "All test stages passed."
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
