#!/usr/bin/env bash
# Installs what is missing, builds Dialwerk and starts the dialer on the
# simulated exchange. Arguments are passed to the dialer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build -DDIALWERK_BENCHMARKS=OFF >/dev/null
if [ -x build/app/dialwerk ]; then
    exec build/app/dialwerk "$@"
fi
exec build/demo/dialwerk-demo "$@"
