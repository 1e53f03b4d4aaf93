#!/usr/bin/env bash
# Builds the core and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs the core's tests there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build-asan" -DFERROLIN_SANITIZE=ON -DFERROLIN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
cd "$root/build-asan"
# intercept_tls_get_addr=0: the leak checker's bookkeeping of thread-local blocks of
# libraries loaded at run time (GLib, loaded with GMime on the first mail call) reads a
# bogus range on this glibc and crashes its tracer at exit; without it, leaks are still
# found, only pointers held solely in such blocks are not seen as roots.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# libsmbclient's set-up keeps some memory for the process's life (see the file).
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
ctest --output-on-failure --parallel 2 --label-exclude 'e2e|bench'
