#!/usr/bin/env bash
# Measures, each side by side in one run: the editor's load, the runner's
# question display and a save of a 10,000-question test against one libinih
# parse of the same file, and the same with LF and CR line ends; Quivara's
# start to its first question against a bare Qt Widgets window; the
# editor's peak memory holding that test; and the peak memory of loading
# hostile files, each against its size.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIVARA_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench
bench=build-bench/bench

# A missed target fails the script, once every figure is printed.
status=0
echo "== files"
"$bench/bench_files" --benchmark_min_time=1 || status=1
echo "== the journal"
"$bench/bench_journal" --benchmark_min_time=1 || status=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench/bench_files" --write-test "$work/large.quivara"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

echo "== start-up to the first frame shown"
# The middle rows add one fixed cost of a real window at a time (see
# bench/startup_probe.cpp), to show where the difference goes.
hyperfine -N --warmup 3 --runs 30 \
    "$bench/startup_probe bare" \
    "$bench/startup_probe text" \
    "$bench/startup_probe menu" \
    "$bench/startup_probe icon" \
    "$bench/startup_probe quivara $work/large.quivara" \
    "$bench/startup_probe quivara samples/geography.quivara" \
    "$bench/startup_probe builder $work/large.quivara" \
    "$bench/startup_probe builder samples/geography.quivara"

echo "== peak memory (VmHWM)"
echo "bare Qt Widgets window:          $("$bench/startup_probe" bare --memory)"
echo "editor holding 10,000 questions: $("$bench/startup_probe" builder "$work/large.quivara" --memory)"

echo "== peak memory loading hostile files (runner and editor, VmHWM above an empty test)"
"$bench/bench_files" --write-shape empty "$work/empty.quivara"
empty=$("$bench/bench_files" --peak "$work/empty.quivara")
for shape in brackets-2m brackets-20m lf-100m cr-100m key-line-100mb; do
    "$bench/bench_files" --write-shape "$shape" "$work/shape.quivara"
    size=$(stat -c %s "$work/shape.quivara")
    peak=$("$bench/bench_files" --peak "$work/shape.quivara")
    awk -v s="$shape" -v size="$size" -v above="$((peak - empty))" 'BEGIN {
        bound = 4 * size / 1024 + 30 * 1024
        printf "  %-16s %10d bytes  %8d KiB above  (%.2f x its size; bound %d KiB: %s)\n",
               s, size, above, above * 1024 / size, bound, above <= bound ? "met" : "missed"
        exit above <= bound ? 0 : 1 }' || status=1
    rm -f "$work/shape.quivara"
done
exit $status
