#!/usr/bin/env bash
# Builds Orvane and decodes the bundled sample log, printing one line per
# GPS RMC sentence. Extra arguments go to orvane-decode (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 >/dev/null
exec build/tools/orvane-decode/orvane-decode "$@" samples/drive.nmea
