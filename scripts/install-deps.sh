#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Ferrolin needs.
# Idempotent: packages already present are left alone, apt is only asked when one is missing.
set -euo pipefail

PACKAGES=(
  # build (pkg-config finds FUSE for the fault tests; clang and its runtime build the fuzzers)
  build-essential cmake ninja-build pkg-config g++ clang libclang-rt-14-dev
  # the Debian package (cpack's dependency scan runs file and dpkg-shlibdeps)
  file dpkg-dev
  # tests (GoogleTest), and the peer tool the folder-job benchmark compares with
  googletest libgtest-dev rsync
  # file-system fault tests
  fuse3 libfuse3-dev
  # time servers for the time-sync tests (started on loopback ports by the tests only;
  # chrony replaces systemd-timesyncd, which is fine: no daemon starts, see below)
  chrony xinetd
  # protocol clients: libcurl (POP3, HTTP) and GMime 3 (MIME); dovecot is the POP3 server
  # the mail tests start on a loopback port
  libcurl4-openssl-dev libgmime-3.0-dev dovecot-core dovecot-pop3d
  # the HTTPS test makes a self-signed certificate
  openssl
  # FTP: vsftpd and pyftpdlib are the test servers (loopback only); lftp is the peer
  # tool the FTP job benchmark compares with
  vsftpd python3-pyftpdlib lftp
  # SFTP and FTPS: OpenSSL (host-key fingerprints, certificate pins); OpenSSH's sshd is
  # the SFTP test server and sftp the benchmark's peer tool; the test certificates are
  # made with python3-cryptography (servers on loopback ports only)
  libssl-dev openssh-server openssh-client python3-cryptography
  # dial-up lines: sd-bus (libsystemd) talks to NetworkManager; the tests run
  # python3-dbusmock's NetworkManager stand-in on a private bus
  libsystemd-dev python3-dbusmock dbus
  # network shares: libsmbclient; smbd and smbclient are the tests' server and the
  # benchmark's peer tool (started on loopback ports only)
  samba smbclient libsmbclient-dev
  # the desktop window (Qt 6 Widgets, QtTest) and its screenshot under a virtual display
  qt6-base-dev libgl-dev xdg-utils xvfb xauth imagemagick fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Server packages must not start system-wide daemons (an FTP server on :21, a time
# daemon adjusting this machine's clock): tests start their own on loopback ports.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
  $SUDO chmod 755 /usr/sbin/policy-rc.d
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

# The SSH server just installed must not start at boot: the tests start their own.
for p in "${missing[@]}"; do
  if [ "$p" = openssh-server ]; then
    $SUDO systemctl disable ssh >/dev/null 2>&1 || true
    $SUDO update-rc.d ssh disable >/dev/null 2>&1 || true
  fi
done
