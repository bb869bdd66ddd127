#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in one command: installs what it needs, makes a
# Release build in ORVANE_BUILD_DIR (default build) and runs cpack there,
# which leaves orvane_<version>_<arch>.deb in that folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build="${ORVANE_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2
cd "$build"
cpack -G DEB
ls "$PWD"/orvane_*.deb
