#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (60 by
# default), first over the regression fixtures, then over a working copy of
# the seed corpus. A crash or a broken invariant fails the run and leaves the
# input in build-fuzz/ as crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/setup.sh
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIVARA_FUZZ=ON >/dev/null
cmake --build build-fuzz
export ASAN_OPTIONS=detect_leaks=1
for target in inidocument loadtest aiken gift moodlexml; do
    work=build-fuzz/corpus-$target
    mkdir -p "$work"
    cp -n fuzz/corpus/$target/* "$work"/ 2>/dev/null || true
    regressions=(fuzz/regressions/$target/*)
    if [ -e "${regressions[0]}" ]; then
        build-fuzz/fuzz/fuzz_$target "${regressions[@]}"
    fi
    echo "fuzzing $target for $seconds s"
    (cd build-fuzz && fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
        "corpus-$target" 2>&1 | tail -n 12)
done
