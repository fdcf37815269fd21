#!/usr/bin/env bash
# Configures and builds Dialwerk into a build folder.
# Usage: scripts/build.sh <build-dir> [extra cmake arguments ...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@"
cmake --build "$dir"
