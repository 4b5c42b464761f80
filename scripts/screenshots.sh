#!/usr/bin/env bash
# Renders the windows under a virtual display into docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
runtime=$(mktemp -d)
chmod 700 "$runtime"
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    build/tools/quivara-screenshots docs/screenshots samples/geography.quivara \
    samples/geography-exam.quivara samples/geography.gift
# The printed test as the first page and the key's page.
pdftoppm -png -r 50 docs/screenshots/builder-paper.pdf docs/screenshots/builder-paper
rm docs/screenshots/builder-paper.pdf
