#!/usr/bin/env bash
# Builds the dialer and its Debian package and prints the package's path.
# Usage: scripts/package.sh [build-dir]   (default build-package, a Release build
# of the dialer alone). Install it with: apt install ./<build-dir>/dialwerk_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}
scripts/deps.sh dpkg-dev file
if [ ! -f "$dir/CMakeCache.txt" ]; then
    # Installing needs only the dialer, not every test.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDIALWERK_BENCHMARKS=OFF \
        -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
fi
cmake --build "$dir" --target dialwerk >/dev/null
rm -f "$dir"/dialwerk_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/dialwerk_*.deb
