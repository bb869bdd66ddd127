#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package Orvane needs to build, test and run.
# Idempotent: when all packages are present it only checks and returns.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-webengine-dev
  libinih-dev
  libbenchmark-dev
  # the receiver statistics: local east/north/up coordinates, and the chart
  # window that follows them
  libgeographiclib-dev libqcustomplot-dev
  xvfb xauth fonts-noto-cjk
  librsvg2-bin file dpkg-dev
  lintian desktop-file-utils appstream inotify-tools
  libjs-leaflet gpsbabel libxml2-utils
  # the tests of the gpsd source start their own gpsd in the foreground on a
  # free port; the package's systemd socket and service are not used
  gpsd
  # the NTRIP client's tests relay corrections through RTKLIB's str2str,
  # a real caster started on free ports
  rtklib
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
