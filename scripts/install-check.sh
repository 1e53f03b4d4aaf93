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

# A fresh machine, simulated: in a mount namespace of its own, /usr/sbin without a
# policy-rc.d and apt, dpkg and the service tools replaced by recorders that report every
# server as missing. The install must put policy-rc.d in place only while apt runs,
# remove it afterwards, and disable every service of the servers it installed.
if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null; then
  echo "install-check: fresh-machine simulation skipped (needs root and unshare)"
  exit 0
fi
sim=$(mktemp -d)
trap 'rm -rf "$sim"' EXIT
mkdir -p "$sim/bin" "$sim/sbin" "$sim/systemd"
cat >"$sim/bin/dpkg-query" <<'FAKE'
#!/bin/sh
# Every package is missing.
exit 1
FAKE
cat >"$sim/bin/apt-get" <<'FAKE'
#!/bin/sh
[ "$1" = update ] && exit 0
if [ -e /usr/sbin/policy-rc.d ]; then echo "apt with policy: $*"; else echo "apt without policy: $*"; fi >>"$SIM/log"
FAKE
cat >"$sim/bin/systemctl" <<'FAKE'
#!/bin/sh
echo "systemctl $*" >>"$SIM/log"
FAKE
cat >"$sim/bin/update-rc.d" <<'FAKE'
#!/bin/sh
echo "update-rc.d $*" >>"$SIM/log"
FAKE
chmod 755 "$sim"/bin/*
# Unit files for the services, so the script finds them to disable.
mkdir -p "$sim/units"
cp -a /lib/systemd/system/. "$sim/units/" 2>/dev/null || true
while read -r package services; do
  for unit in $services; do touch "$sim/units/$unit.service"; done
done < <("$deps" --list-servers)
SIM=$sim unshare -m bash -c '
  set -e
  cp -a /usr/sbin/. "$SIM/sbin/"
  rm -f "$SIM/sbin/policy-rc.d"
  mount --bind "$SIM/sbin" /usr/sbin
  mount --bind "$SIM/units" /lib/systemd/system
  PATH="$SIM/bin:$PATH" "$0" --tests >/dev/null
  [ ! -e /usr/sbin/policy-rc.d ] || { echo "policy-rc.d left behind" >>"$SIM/log"; exit 1; }
' "$deps" || fail "the simulated install failed: $(cat "$sim/log" 2>/dev/null)"
grep -q "^apt without policy: .*chrony" "$sim/log" && fail "a server was installed without policy-rc.d"
grep -q "^apt with policy: .*vsftpd" "$sim/log" || fail "the servers were not installed: $(cat "$sim/log")"
grep -q "^apt with policy: .*qt6-base-dev" "$sim/log" &&
  fail "the program packages were installed under the servers' policy"
while read -r package services; do
  for unit in $services; do
    grep -q "^systemctl disable $unit\$" "$sim/log" || fail "$unit was not disabled"
  done
done < <("$deps" --list-servers)
echo "install-check: fresh-machine simulation ok (policy-rc.d only during the servers' install, their services disabled)"
