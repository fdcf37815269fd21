#!/usr/bin/env bash
# Installs what is missing, builds Dialwerk and starts the dialer on the
# simulated exchange. Arguments name the line device to open at start-up
# (for example: scripts/run.sh Extension 202).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build -DDIALWERK_BENCHMARKS=OFF >/dev/null
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display available (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Start the dialer from a desktop session; the console demo runs anywhere: build/demo/dialwerk-demo" >&2
    exit 2
fi
exec build/ui/dialwerk "$@"
