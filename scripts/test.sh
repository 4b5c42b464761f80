#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# A private runtime folder keeps Qt from complaining about a shared one.
runtime=$(mktemp -d)
chmod 700 "$runtime"
XDG_RUNTIME_DIR="$runtime" ctest --test-dir build --output-on-failure -j2
