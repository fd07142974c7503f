#!/usr/bin/env bash
# Builds and runs the tests under the sanitizers; any finding fails the run.
#   address + undefined behaviour: the whole suite
#   thread: every test of the core library (the monitor, tables, colours and clients run on
#   several threads). Qt itself is not built with ThreadSanitizer, so the widget tests, whose
#   cross-thread calls synchronise inside Qt, cannot be judged by it and stay out of that run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc)}
common=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DKM_BUILD_BENCH=OFF)

cmake -S . -B build-asan "${common[@]}" \
    -DCMAKE_CXX_FLAGS="-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all" >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan &&
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build-tsan "${common[@]}" -DKM_BUILD_APP=OFF \
    -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=thread" >/dev/null
cmake --build build-tsan -j "$jobs"
# The kill test is single-threaded file I/O; under TSan a save takes seconds, so its kills
# no longer land inside the write it is there to interrupt. It runs in the other two builds.
(cd build-tsan &&
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --output-on-failure -j "$jobs" -E '^AtomicSaveKillTest\.')
