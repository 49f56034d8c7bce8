#!/usr/bin/env bash
# Builds the Windows-free core natively with clang and the sanitizers into
# build/native and runs its tests; any sanitizer report fails the run.
set -euo pipefail
root=$1
out="$root/build/native"
if [ ! -f "$out/build.ninja" ]; then
    CXX=clang++ cmake -S "$root/tests/native" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$out" >/dev/null
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$out/core_tests"
