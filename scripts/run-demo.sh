#!/usr/bin/env bash
# Installs what is needed, builds, and starts the Ferrolin window on a demo program folder.
# The demo folder (default: demo/ in the checkout, or $FERROLIN_HOME) gets a demo job
# list on first start: one folder job from demo-source/ to demo-destination/.
# Without a display the job list is run once by the headless ferrolin-cli instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Only what the programs need: no test tool, no server.
"$root/scripts/install-deps.sh"
# Only the two programs the demo starts are built (the tests and benchmarks are left out);
# the window only where Qt 6 was found.
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DFERROLIN_TESTS=OFF -DFERROLIN_BENCH=OFF >/dev/null
targets=(ferrolin-cli)
if cmake --build "$build" --target help | grep -q '^ferrolin: '; then targets+=(ferrolin); fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"
export FERROLIN_HOME=${FERROLIN_HOME:-$root/demo}
mkdir -p "$FERROLIN_HOME"
"$root/build/bin/ferrolin-cli" demo-init
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$root/build/bin/ferrolin" ]; then
  exec "$root/build/bin/ferrolin"
fi
if [ ! -x "$root/build/bin/ferrolin" ]; then
  echo "run-demo: the window was not built (Qt 6 missing); running the job list headless." >&2
else
  echo "run-demo: no display (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot" >&2
  echo "  open. Run this script from a desktop session, or over ssh -X, to see it." >&2
  echo "  Running the job list once with the headless ferrolin-cli instead." >&2
fi
"$root/build/bin/ferrolin-cli" jobs
exec "$root/build/bin/ferrolin-cli" run
