#!/usr/bin/env bash
# Installs every package Quorvel needs to build, test and run. Idempotent; quiet when all is there.
set -euo pipefail
packages=(qt6-base-dev qt6-base-dev-tools unixodbc unixodbc-dev odbc-mariadb tdsodbc
  qt6-translations-l10n libsqliteodbc mariadb-server mariadb-client libcurl4-openssl-dev libssl-dev openssl ca-certificates libcpp-httplib-dev
  libgtest-dev libbenchmark-dev fonts-noto-cjk xvfb xauth xdotool imagemagick
  cmake g++ make pkg-config sqlite3 valgrind)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
