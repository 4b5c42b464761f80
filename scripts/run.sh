#!/usr/bin/env bash
# Sets up, builds and starts Quivara on the bundled sample test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Quivara needs a graphical display, and none is set (DISPLAY is empty): run this in a desktop session, or try: xvfb-run bash scripts/run.sh" >&2
    exit 1
fi
exec build/runner/quivara samples/geography.quivara
