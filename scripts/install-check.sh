#!/usr/bin/env bash
# Checks that installing changes nothing beside the packages: the demo path brings no
# server and no time daemon; the test path leaves /usr/sbin/policy-rc.d as it found it and
# no server it installed enabled at boot. Runs the test path's install (CI runs this).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/scripts/install-deps.sh"

fail() {
  echo "install-check: $*" >&2
  exit 1
}

# The demo path: only what the programs need.
demo=$("$deps" --list)
while read -r package _; do
  grep -qx "$package" <<<"$demo" && fail "the demo path installs the server $package"
done < <("$deps" --list-servers)
for package in chrony ntpsec systemd-timesyncd googletest; do
  grep -qx "$package" <<<"$demo" && fail "the demo path installs $package"
done

policy_before=$(cat /usr/sbin/policy-rc.d 2>/dev/null || echo "<none>")
declare -A was_installed=()
while read -r package services; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    was_installed[$package]=1
  fi
done < <("$deps" --list-servers)

"$deps" --tests

[ "$(cat /usr/sbin/policy-rc.d 2>/dev/null || echo "<none>")" = "$policy_before" ] ||
  fail "/usr/sbin/policy-rc.d is not as it was before the install"

checked=0
while read -r package services; do
  [ -z "${was_installed[$package]:-}" ] || continue
  for unit in $services; do
    checked=$((checked + 1))
    if ls /etc/rc[2-5].d/S??"$unit" >/dev/null 2>&1; then
      fail "$unit starts at boot (SysV link) after the install"
    fi
    if [ -e "/etc/systemd/system/multi-user.target.wants/$unit.service" ]; then
      fail "$unit starts at boot (systemd link) after the install"
    fi
  done
done < <("$deps" --list-servers)
echo "install-check: ok (policy-rc.d unchanged; $checked newly installed server units checked)"
