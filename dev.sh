#!/usr/bin/env bash
# Velmorra's entry script.
#   ./dev.sh run    build the application and show its window
#   ./dev.sh test   build everything and run the whole test suite
# Each installs the Debian packages it lacks (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libboost-context-dev)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev)

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
    install_missing "${BUILD_PACKAGES[@]}"
    configure build/app -DCMAKE_BUILD_TYPE=Release -DVELMORRA_TESTS=OFF -DVELMORRA_BENCH=OFF
    cmake --build build/app --target velmorra
    exec build/app/app/velmorra
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    configure build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build/test
    QT_QPA_PLATFORM=offscreen ctest --test-dir build/test --output-on-failure -j "$(nproc)"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
