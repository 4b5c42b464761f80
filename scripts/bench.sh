#!/usr/bin/env bash
# Measures, each side by side in one run: the editor's load, the runner's
# question display and a save of a 10,000-question test against one libinih
# parse of the same file; Quivara's start to its first question against a
# bare Qt Widgets window; and the editor's peak memory holding that test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIVARA_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench
bench=build-bench/bench

echo "== files"
"$bench/bench_files" --benchmark_min_time=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench/bench_files" --write-test "$work/large.quivara"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

echo "== start-up to the first question shown"
hyperfine -N --warmup 3 --runs 30 \
    "$bench/startup_probe bare" \
    "$bench/startup_probe quivara $work/large.quivara"

echo "== peak memory (VmHWM)"
echo "bare Qt Widgets window:          $("$bench/startup_probe" bare --memory)"
echo "editor holding 10,000 questions: $("$bench/startup_probe" builder "$work/large.quivara" --memory)"
