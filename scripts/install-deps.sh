#!/usr/bin/env bash
# Installs the Debian packages Ferrolin needs.
#   scripts/install-deps.sh          what building and running the two programs needs
#   scripts/install-deps.sh --tests  that, plus the test tools and the servers the tests
#                                    start on loopback ports
# Idempotent: packages already present are left alone, apt is only asked when one is missing.
# Nothing is left changed beside the packages: no server installed here is started now or
# enabled to start at boot, and /usr/sbin/policy-rc.d is as it was before.
set -euo pipefail

# Building and running ferrolin and ferrolin-cli (one package a line, for easy merges).
PROGRAM_PACKAGES=(
  build-essential
  cmake
  ninja-build
  pkg-config
  g++
  # protocol clients: libcurl (FTP, SFTP, POP3, HTTP) and GMime 3 (MIME)
  libcurl4-openssl-dev
  libgmime-3.0-dev
  # OpenSSL: SSH host-key fingerprints, TLS certificate pins
  libssl-dev
  # network shares
  libsmbclient-dev
  # dial-up lines: sd-bus (libsystemd) talks to NetworkManager
  libsystemd-dev
  # the desktop window (Qt 6 Widgets)
  qt6-base-dev
  libgl-dev
  xdg-utils
)

# Tests, fuzzing, benchmarks and the Debian package (one package a line).
TEST_PACKAGES=(
  # GoogleTest; clang and its runtime build the fuzzers
  googletest
  libgtest-dev
  clang
  libclang-rt-14-dev
  # the Debian package (cpack's dependency scan runs file and dpkg-shlibdeps)
  file
  dpkg-dev
  # the peer tool the folder-job benchmark compares with
  rsync
  # file-system fault tests
  fuse3
  libfuse3-dev
  # the HTTPS test makes a self-signed certificate
  openssl
  # dial-up tests: python3-dbusmock's NetworkManager stand-in on a private bus
  python3-dbusmock
  # the window's tests and its screenshot under a virtual display
  xvfb
  xauth
  imagemagick
  fonts-dejavu-core
  # the share benchmark's peer tool
  smbclient
  # FTP test server (pyftpdlib), and the peer tool the FTP job benchmark compares with
  python3-pyftpdlib
  lftp
  # the SMTP server the alarm tests start on a loopback port
  python3-aiosmtpd
  # SFTP and FTPS tests: the test CA and certificates, and the SFTP benchmark's peer tool
  python3-cryptography
  openssh-client
  # the durable-move tests watch the run's fsync calls
  strace
)

# Servers the tests start on loopback ports, each with the services it brings (one
# package a line: "package service..."). They are installed with policy-rc.d refusing
# every start, and the services of the packages installed here are disabled afterwards.
TEST_SERVER_PACKAGES=(
  "chrony chrony"
  "xinetd xinetd"
  "dovecot-core dovecot"
  "dovecot-pop3d"
  "vsftpd vsftpd"
  # the SFTP test server
  "openssh-server ssh"
  "samba smbd nmbd samba-ad-dc"
  # the private message bus of the dial-up tests (the system's bus is left as it is)
  "dbus"
)

with_tests=0
case "${1:-}" in
  "") ;;
  --tests) with_tests=1 ;;
  # What each path would install, one package a line (for scripts/install-check.sh).
  --list)
    printf '%s\n' "${PROGRAM_PACKAGES[@]}"
    exit 0
    ;;
  --list-tests)
    printf '%s\n' "${PROGRAM_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    for entry in "${TEST_SERVER_PACKAGES[@]}"; do echo "${entry%% *}"; done
    exit 0
    ;;
  --list-servers)
    printf '%s\n' "${TEST_SERVER_PACKAGES[@]}"
    exit 0
    ;;
  *)
    echo "usage: $0 [--tests | --list | --list-tests | --list-servers]" >&2
    exit 2
    ;;
esac

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

updated=0
apt_install() {
  [ $# -gt 0 ] || return 0
  echo "install-deps: installing $*"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$updated" = 0 ]; then
    $SUDO apt-get update -qq
    updated=1
  fi
  $SUDO apt-get install -y -qq --no-install-recommends "$@"
}

mapfile -t missing < <(missing_of "${PROGRAM_PACKAGES[@]}")
if [ "$with_tests" = 1 ]; then
  mapfile -t -O "${#missing[@]}" missing < <(missing_of "${TEST_PACKAGES[@]}")
fi
apt_install "${missing[@]}"

[ "$with_tests" = 1 ] || exit 0

servers=()
units=()
for entry in "${TEST_SERVER_PACKAGES[@]}"; do
  read -r package services <<<"$entry"
  if [ -n "$(missing_of "$package")" ]; then
    servers+=("$package")
    units+=($services)
  fi
done
[ ${#servers[@]} -gt 0 ] || exit 0

# policy-rc.d answering 101 keeps the packages' scripts from starting their daemons (an FTP
# server on :21, a time daemon adjusting this machine's clock). It exists only for this
# install: one left behind would keep every later update from restarting its service.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
  $SUDO chmod 755 /usr/sbin/policy-rc.d
  trap '$SUDO rm -f /usr/sbin/policy-rc.d' EXIT
fi
apt_install "${servers[@]}"

# The tests start their own servers: none of those installed here may start at boot. Both
# commands only edit links, so they work without a running systemd.
for unit in "${units[@]}"; do
  if [ -e "/lib/systemd/system/$unit.service" ] && command -v systemctl >/dev/null; then
    $SUDO systemctl disable "$unit" >/dev/null 2>&1 || true
  fi
  if [ -e "/etc/init.d/$unit" ]; then
    $SUDO update-rc.d "$unit" disable >/dev/null 2>&1 || true
  fi
done
echo "install-deps: test servers installed, not started, not enabled: ${servers[*]}"
