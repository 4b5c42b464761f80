#!/usr/bin/env bash
# Sets up, builds and runs every test: once as shipped, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a minute of each
# fuzzer where clang is present.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
echo "== the code's format"
bash scripts/check-format.sh
# A private runtime folder keeps Qt from complaining about a shared one.
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
ctest --test-dir build --output-on-failure -j2

echo "== the package"
(cd build && cpack -B package >/dev/null)
bash tests/system/check_package.sh build/package/quivara_0.1_amd64.deb

echo "== through the accessibility bus"
bash tests/system/check_accessibility.sh build

echo "== under sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUIVARA_SANITIZE=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2

if command -v clang++ >/dev/null; then
    echo "== fuzzing"
    bash scripts/fuzz.sh "${QUIVARA_FUZZ_SECONDS:-60}"
fi
