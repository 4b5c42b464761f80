#!/usr/bin/env bash
# Configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
# QUIVARA_SETUP=run installs only what building and running need.
bash scripts/setup.sh "${QUIVARA_SETUP:-all}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
