#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Orvane and starts the viewer with the bundled sample log loaded, as
# if it had been dropped on the window. Where no display is available it
# says so and decodes the sample with orvane-decode instead, printing one
# line per GPS RMC sentence; extra arguments then go to orvane-decode (see
# its --help). ORVANE_BUILD_DIR names another build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build="${ORVANE_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): decoding samples/drive.nmea with orvane-decode instead." >&2
  exec "$build/tools/orvane-decode/orvane-decode" "$@" samples/drive.nmea
fi
exec "$build/app/orvane" samples/drive.nmea
