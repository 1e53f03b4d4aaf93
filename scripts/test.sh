#!/usr/bin/env bash
# Installs what the programs and the tests need (the test servers installed neither
# started nor enabled at boot), builds, and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
"$root/scripts/build.sh" "$root/build" -DFERROLIN_TESTS=ON -DFERROLIN_BENCH=ON
cd "$root/build"
ctest --output-on-failure --parallel 2
