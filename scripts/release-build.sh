#!/usr/bin/env bash
# Builds the two programs the way a packager does: Release (-O3), warnings as errors, and
# nothing else (no tests, no benchmarks). Usage: scripts/release-build.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERROLIN_WERROR=ON \
  -DFERROLIN_BENCH=OFF >/dev/null
targets=(ferrolin-cli)
if cmake --build "$build" --target help | grep -q '^ferrolin: '; then targets+=(ferrolin); fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"
