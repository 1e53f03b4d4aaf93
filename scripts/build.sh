#!/usr/bin/env bash
# Configures and builds Ferrolin into build/ (binaries in build/bin/).
# Warnings are errors here (FERROLIN_WERROR); a later argument may turn that off again.
# Usage: scripts/build.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
cmake -S "$root" -B "$build" -G Ninja -DFERROLIN_WERROR=ON "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
