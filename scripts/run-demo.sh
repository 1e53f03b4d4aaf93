#!/usr/bin/env bash
# Installs what is needed, builds, and starts Ferrolin on a demo program folder.
# The demo folder (default: demo/ in the checkout, or $FERROLIN_HOME) gets a demo job
# list on first start: one folder job from demo-source/ to demo-destination/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
export FERROLIN_HOME=${FERROLIN_HOME:-$root/demo}
mkdir -p "$FERROLIN_HOME"
"$root/build/bin/ferrolin-cli" demo-init
"$root/build/bin/ferrolin-cli" jobs
exec "$root/build/bin/ferrolin-cli" run
