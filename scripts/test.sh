#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: a plain build and a build
# under Address and Undefined Behaviour Sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --e2e
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")
