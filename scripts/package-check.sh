#!/usr/bin/env bash
# Builds the Debian package from an existing build folder and checks it: the programs, the
# systemd unit and the docs are in it, and its ferrolin-cli runs from an unpacked tree.
# Usage: scripts/package-check.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

fail() {
  echo "package-check: $*" >&2
  exit 1
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# cpack installs what the build made: the programs must be built first.
targets=(ferrolin-cli)
if cmake --build "$build" --target help | grep -q '^ferrolin: '; then targets+=(ferrolin); fi
cmake --build "$build" --target "${targets[@]}" >/dev/null
(cd "$build" && cpack -G DEB -B "$out/cpack" >"$out/cpack.log" 2>&1) ||
  { cat "$out/cpack.log" >&2; fail "cpack failed"; }
debs=("$out"/cpack/ferrolin_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no ferrolin_*.deb"
deb=${debs[0]}
echo "package-check: $(basename "$deb")"

contents=$(dpkg-deb -c "$deb")
expected=(
  ./usr/bin/ferrolin-cli
  ./usr/lib/systemd/system/ferrolin.service
  ./usr/share/doc/ferrolin/README.md
  ./usr/share/doc/ferrolin/docs/main-window.png
)
# The window is in the package whenever the build has it.
if [ ${#targets[@]} -gt 1 ]; then expected+=(./usr/bin/ferrolin); fi
for path in "${expected[@]}"; do
  grep -qE " ${path//./\\.}\$" <<<"$contents" || fail "$path is missing from the package"
done

fields=$(dpkg-deb -f "$deb" Package Maintainer Description Depends)
for field in Package Maintainer Description Depends; do
  grep -q "^$field: ." <<<"$fields" || fail "the package has no $field"
done

# The libraries loaded at run time (not linked) must be named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libcurl4 libgmime-3.0-0 libsmbclient; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
done

dpkg-deb -x "$deb" "$out/root"
version=$("$out/root/usr/bin/ferrolin-cli" --version) || fail "the installed ferrolin-cli --version failed"
[ -n "$version" ] || fail "the installed ferrolin-cli --version printed nothing"
echo "package-check: installed ferrolin-cli --version: $version"
echo "package-check: ok"
