#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and runs each
# for the given seconds (default 60): the structure fuzzer from the seed corpus in
# fuzz/corpus/, the office fuzzer from the office files in resources/office/.
# Installs clang and libclang-rt-14-dev when missing.
# Usage: scripts/fuzz.sh [seconds] [more libFuzzer options, e.g. -runs=10000000]
# A finding stops the run with a non-zero exit; its input is kept in build-fuzz/
# (crash-*, timeout-*, oom-*) and replays with: build-fuzz/fuzz/<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

scripts/deps.sh clang libclang-rt-14-dev

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDIALWERK_FUZZ=ON -DDIALWERK_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target structure_fuzzer office_fuzzer

# New inputs go to the first folder, so the checked-in seeds stay as they are.
mkdir -p build-fuzz/corpus build-fuzz/office-corpus
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build-fuzz/fuzz/structure_fuzzer -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ "$@" build-fuzz/corpus fuzz/corpus
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build-fuzz/fuzz/office_fuzzer -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ "$@" build-fuzz/office-corpus resources/office
