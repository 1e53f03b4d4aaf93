#!/usr/bin/env bash
# Fails when an #include crosses a forbidden arrow between the source folders. The layers
# from the bottom: platform <- common <- config <- files <- engine <- (schedule, remote)
# <- station; protocols under remote and engine. The faces (gui, cli) include only the
# station's public headers and their own; the core never includes Qt or a face.
# Usage: scripts/check-layers.sh [source folder]   (default: src/ of this checkout)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "${1:-$root/src}" || exit 2

core="platform common config files engine schedule remote protocols station"
# Lower headers a face may name directly: records, texts and panels the faces show or
# implement, which hold data and interfaces rather than the station's workings.
face_data=(
  version.h
  common/datetime_format.h common/log.h common/memo_lines.h common/surfaces.h
  config/global_options.h config/profile_write_error.h config/transfer_job.h
  files/mpeg_check.h
  remote/ftp_texts.h remote/ftp_window_model.h remote/ras_default.h remote/ras_dial_up.h
  remote/time_sync.h remote/time_sync_panel.h
  schedule/auto_mode.h schedule/send_time_editor.h
)
# "from: folders it must not include"
rules=(
  "platform: common config files engine schedule remote protocols station gui cli"
  "common: config files engine schedule remote protocols station gui cli"
  "config: files engine schedule remote protocols station gui cli"
  "files: engine schedule remote protocols station gui cli"
  "protocols: config files engine schedule remote station gui cli"
  "engine: schedule station gui cli"
  "schedule: station gui cli"
  "remote: files engine schedule station gui cli"
  "station: gui cli"
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
# A face names nothing below the station but the data headers above: every quoted include
# is its own, station/ or one of face_data, and no include in angle brackets names a core
# folder.
core_alt=$(echo $core | tr ' ' '|')
data_alt=$(printf '%s\n' "${face_data[@]}" | sed 's/\./\\./g' | paste -sd'|')
for face in gui cli; do
  [ -d "$face" ] || continue
  hits=$( (grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"" "$face" 2>/dev/null |
           grep -vE "#[[:space:]]*include[[:space:]]*\"(($face|station)/|($data_alt)\")"
           grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($core_alt)/" "$face" 2>/dev/null) )
  if [ -n "$hits" ]; then
    echo "layers: the face $face may include only station/, $face/ and the data headers:"
    echo "$hits" | sed 's/^/  /'
    broken=1
  fi
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
