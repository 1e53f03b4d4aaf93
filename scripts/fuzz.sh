#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a few seconds.
# Usage: scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DFERROLIN_FUZZ=ON -DFERROLIN_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-fuzz" --parallel "$(nproc)" --target fuzzers
shopt -s nullglob
for fuzzer in "$root"/build-fuzz/bin/fuzz_*; do
  name=$(basename "$fuzzer")
  corpus="$root/build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  echo "-- $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 -artifact_prefix="$root/build-fuzz/" $corpus $seeds 2>&1 | tail -n 3
done
