#!/usr/bin/env bash
# Runs tests/system/check_accessibility.py under a virtual display with its own
# session bus and accessibility bus.
set -euo pipefail
build=$(readlink -f "$1")
cd "$(dirname "$0")/../.."
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    NO_AT_BRIDGE=0 QT_ACCESSIBILITY=1
xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    sleep 1
    /usr/bin/python3 tests/system/check_accessibility.py "$0" samples/geography.quivara' "$build"
