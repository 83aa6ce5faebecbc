#!/usr/bin/env bash
# The project's one entry point on a fresh Debian 12 machine.
#   ./build.sh run    installs what is missing, builds, and files the sample quarter through wagetrove-cli
#                     for every state this release writes (into demo-output/; no display needed)
#   ./build.sh gui    installs what is missing, builds, and starts the Wagetrove window
#   ./build.sh test   installs what is missing, builds with the sanitizers and runs every test, prints the tests'
#                     size against the code's, then runs each fuzzing harness for a short smoke time
#                     (FUZZ_SECONDS, 15 by default; 0 skips it)
#   ./build.sh bench  installs what is missing, builds optimised and runs the benchmarks
#   ./build.sh package  installs what is missing, builds optimised and makes the Debian package
#                     (build-release/package/wagetrove_*.deb), then checks it installed into a fresh root
set -euo pipefail
cd "$(dirname "$0")"

jobs="${JOBS:-2}"
command="${1:-run}"

bash scripts/install-deps.sh

case "$command" in
run)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
    cmake --build build -j"$jobs"
    exec bash scripts/demo.sh build
    ;;
gui)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
    cmake --build build -j"$jobs"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        exec build/bin/wagetrove
    fi
    echo "No display found: starting Wagetrove offscreen to check that it comes up."
    QT_QPA_PLATFORM=offscreen exec build/bin/wagetrove --smoke-test
    ;;
test)
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWAGETROVE_SANITIZE=ON -DWAGETROVE_WERROR=ON
    cmake --build build-test -j"$jobs"
    ctest --test-dir build-test --output-on-failure -j"$jobs"
    bash scripts/test-size.sh
    fuzz_seconds="${FUZZ_SECONDS:-15}"
    if [ "$fuzz_seconds" -gt 0 ]; then
        FUZZ_JOBS="$jobs" bash fuzz/run.sh "$fuzz_seconds"
    fi
    ;;
bench)
    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build-bench -j"$jobs" --target importbench pfmlbench wagelistingbench quickbooksbench commandbench
    status=0
    build-bench/bench/importbench || status=$?
    build-bench/bench/pfmlbench || status=$?
    build-bench/bench/wagelistingbench || status=$?
    build-bench/bench/quickbooksbench || status=$?
    build-bench/bench/commandbench || status=$?
    exit "$status"
    ;;
package)
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    cmake --build build-release -j"$jobs"
    exec bash scripts/check-package.sh build-release
    ;;
*)
    echo "usage: ./build.sh [run|gui|test|bench|package]" >&2
    exit 2
    ;;
esac
