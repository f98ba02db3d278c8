#!/usr/bin/env bash
# Builds and runs every test: the Release build, the whole suite again under
# AddressSanitizer+UBSan (LeakSanitizer included), and the tests labelled "threads" under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPVC_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"
cmake --preset tsan
cmake --build --preset tsan -j"$jobs" --target pvc_thread_tests
ctest --preset tsan -j"$jobs" -L threads
