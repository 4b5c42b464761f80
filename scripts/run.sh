#!/usr/bin/env bash
# Sets up, builds and starts Quivara on the bundled sample test;
# "bash scripts/run.sh builder" starts the editor on it instead.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/runner/quivara
[ "${1:-}" = builder ] && program=build/builder/quivara-builder
QUIVARA_SETUP=run bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Quivara needs a graphical display, and none is set (DISPLAY is empty): run this in a desktop session, or try: xvfb-run bash scripts/run.sh" >&2
    exit 1
fi
exec "$program" samples/geography.quivara
