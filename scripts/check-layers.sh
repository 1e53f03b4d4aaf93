#!/usr/bin/env bash
# Fails when an #include crosses a forbidden arrow between the source folders. The layers
# from the bottom: platform <- common <- config <- files <- engine <- (schedule, remote)
# <- station; protocols under remote and engine. The faces (gui, cli) include the station's
# headers and their own, never the platform layer, never each other; the core never
# includes Qt or a face.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"

core="platform common config files engine schedule remote protocols station"
# "from: folders it must not include"
rules=(
  "platform: common config files engine schedule remote protocols station gui cli"
  "common: config files engine schedule remote protocols station gui cli"
  "config: files engine schedule remote protocols station gui cli"
  "files: engine schedule remote protocols station gui cli"
  "protocols: engine schedule remote station gui cli"
  "engine: schedule station gui cli"
  "schedule: station gui cli"
  "remote: engine schedule station gui cli"
  "station: gui cli"
  "gui: platform cli"
  "cli: platform gui"
)

broken=0
for rule in "${rules[@]}"; do
  from=${rule%%:*}
  [ -d "$from" ] || continue
  for to in ${rule#*:}; do
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$to/" "$from" 2>/dev/null)
    if [ -n "$hits" ]; then
      echo "layers: $from must not include $to/:"
      echo "$hits" | sed 's/^/  /'
      broken=1
    fi
  done
done
for dir in $core; do
  [ -d "$dir" ] || continue
  hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q" "$dir" 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "layers: the core folder $dir must not include Qt:"
    echo "$hits" | sed 's/^/  /'
    broken=1
  fi
done
if [ "$broken" -ne 0 ]; then exit 1; fi
echo "layers: every include follows the allowed arrows"
