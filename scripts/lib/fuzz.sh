#!/usr/bin/env bash
# Runs each fuzz target for the given seconds from the checked-in corpus
# (copied, so the repository's corpus stays as it is). Any crash or
# sanitizer report fails the run.
set -euo pipefail
root=$1
seconds=${2:-30}
out="$root/build/native"
"$root/scripts/lib/native.sh" "$root" >/dev/null
for target in masks ini; do
    work="$out/corpus-$target"
    mkdir -p "$work"
    cp -n "$root/tests/native/corpus/$target/"* "$work/" 2>/dev/null || true
    (cd "$out" && ASAN_OPTIONS=detect_leaks=1 "./fuzz_$target" -max_total_time="$seconds" -print_final_stats=0 \
        -artifact_prefix="$out/crash-$target-" "$work" 2>&1 | tail -2)
done
