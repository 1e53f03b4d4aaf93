#!/usr/bin/env bash
# Builds the Debian packages from an existing build folder and checks them: ferrolin-cli
# (the station, its unit, the docs; no Qt) and ferrolin (the window, depending on it), each
# with its copyright file. As root, ferrolin-cli is then installed alone and run: it makes
# the user ferrolin and /var/lib/ferrolin (0700) and leaves its unit disabled. What the
# check installed is removed again (a user or folder that was there before is kept).
# Usage: scripts/package-check.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

fail() {
  echo "package-check: $*" >&2
  exit 1
}

out=$(mktemp -d)
cleanup() { rm -rf "$out"; }
trap cleanup EXIT

# cpack installs what the build made: the programs must be built first.
targets=(ferrolin-cli)
if cmake --build "$build" --target help | grep -q '^ferrolin: '; then targets+=(ferrolin); fi
cmake --build "$build" --target "${targets[@]}" >/dev/null
(cd "$build" && cpack -G DEB -B "$out/cpack" >"$out/cpack.log" 2>&1) ||
  { cat "$out/cpack.log" >&2; fail "cpack failed"; }

check_package() { # file, expected paths...
  local deb=$1 path contents
  shift
  contents=$(dpkg-deb -c "$deb")
  for path in "$@"; do
    grep -qE " ${path//./\\.}\$" <<<"$contents" || fail "$path is missing from $(basename "$deb")"
  done
  local fields field
  fields=$(dpkg-deb -f "$deb" Package Maintainer Description Depends)
  for field in Package Maintainer Description Depends; do
    grep -q "^$field: ." <<<"$fields" || fail "$(basename "$deb") has no $field"
  done
  echo "package-check: $(basename "$deb")"
}

cli_debs=("$out"/cpack/ferrolin-cli_*.deb)
[ -f "${cli_debs[0]}" ] || fail "cpack made no ferrolin-cli_*.deb"
cli=${cli_debs[0]}
check_package "$cli" ./usr/bin/ferrolin-cli ./usr/lib/systemd/system/ferrolin.service \
  ./usr/share/doc/ferrolin-cli/copyright ./usr/share/doc/ferrolin-cli/README.md \
  ./usr/share/doc/ferrolin-cli/docs/guide.md
if dpkg-deb -f "$cli" Depends | grep -qi 'qt6'; then fail "ferrolin-cli depends on Qt"; fi
dpkg-deb -c "$cli" | grep -q ' ./usr/bin/ferrolin$' && fail "ferrolin-cli holds the window"
for script in postinst prerm postrm; do
  dpkg-deb -I "$cli" "$script" >/dev/null 2>&1 || fail "ferrolin-cli has no $script"
done

if [ ${#targets[@]} -gt 1 ]; then
  gui_debs=("$out"/cpack/ferrolin_*.deb)
  [ -f "${gui_debs[0]}" ] || fail "cpack made no ferrolin_*.deb"
  check_package "${gui_debs[0]}" ./usr/bin/ferrolin ./usr/share/doc/ferrolin/copyright
  dpkg-deb -f "${gui_debs[0]}" Depends | grep -q 'ferrolin-cli (= ' ||
    fail "ferrolin does not depend on ferrolin-cli"
fi

# The libraries loaded at run time (not linked) are named by hand.
for lib in libcurl4 libgmime-3.0-0 libsmbclient; do
  dpkg-deb -f "$cli" Depends | grep -q "$lib" || fail "ferrolin-cli does not depend on $lib"
done

# Unpacked, the program runs from any folder.
dpkg-deb -x "$cli" "$out/root"
version=$("$out/root/usr/bin/ferrolin-cli" --version) || fail "the packaged ferrolin-cli --version failed"
[ -n "$version" ] || fail "the packaged ferrolin-cli --version printed nothing"
echo "package-check: packaged ferrolin-cli --version: $version"

if [ "$(id -u)" -ne 0 ] || dpkg-query -W ferrolin-cli >/dev/null 2>&1; then
  echo "package-check: ok (not installed: needs root and no ferrolin-cli installed already)"
  exit 0
fi

# Installed alone, as a server would have it.
had_user=0
getent passwd ferrolin >/dev/null && had_user=1
had_folder=0
[ -e /var/lib/ferrolin ] && had_folder=1
uninstall() {
  dpkg --purge ferrolin-cli >/dev/null 2>&1 || true
  if [ "$had_folder" = 0 ]; then rm -rf /var/lib/ferrolin; fi
  if [ "$had_user" = 0 ] && getent passwd ferrolin >/dev/null; then userdel ferrolin || true; fi
  cleanup
}
trap uninstall EXIT
dpkg -i "$cli" >"$out/dpkg.log" 2>&1 || { cat "$out/dpkg.log" >&2; fail "dpkg -i ferrolin-cli failed"; }
getent passwd ferrolin >/dev/null || fail "the package made no user ferrolin"
if [ "$had_folder" = 0 ]; then
  [ "$(stat -c '%a %U' /var/lib/ferrolin)" = "700 ferrolin" ] ||
    fail "/var/lib/ferrolin is $(stat -c '%a %U' /var/lib/ferrolin), not 700 ferrolin"
fi
[ -e /etc/systemd/system/multi-user.target.wants/ferrolin.service ] &&
  fail "the package enabled the unit"
/usr/bin/ferrolin-cli --version >/dev/null || fail "the installed ferrolin-cli does not run"
home=$(mktemp -d -p "$out")
FERROLIN_HOME=$home /usr/bin/ferrolin-cli job add Try --source "$home" --dest "$home/out" >/dev/null ||
  fail "the installed ferrolin-cli cannot add a job"
FERROLIN_HOME=$home /usr/bin/ferrolin-cli jobs | grep -q "Try" || fail "the installed ferrolin-cli lists no job"
echo "package-check: installed alone, user ferrolin and /var/lib/ferrolin made, unit not enabled"
echo "package-check: ok"
