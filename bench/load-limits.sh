#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Loading and batch decoding at the limit, measured whole-process:
#  1. orvane-decode --message RMC on a 64 MiB generated log against one
#     mmap+memchr pass over the same file (orvane-scan), best of 5 runs
#     each, the output going to /dev/null and, once more, to a file;
#  2. the viewer loading a 1 GiB generated log (orvane-measure
#     --exit-after-load): the load's time, and its peak memory above the
#     same run without a log.
# usage: bench/load-limits.sh [BUILD_DIR] (default: build). The logs are
# written to $ORVANE_BENCH_DIR (default: /tmp) and kept for reruns.
set -euo pipefail
build=${1:-build}
data=${ORVANE_BENCH_DIR:-/tmp}
small=$data/orvane-bench-64m.nmea
large=$data/orvane-bench-1g.nmea
[ -s "$small" ] || "$build/tools/loggen/orvane-loggen" --bytes $((64 << 20)) --seed 1 -o "$small"
[ -s "$large" ] || "$build/tools/loggen/orvane-loggen" --bytes $((1 << 30)) --seed 2 -o "$large"

# Best wall time of five runs of a command, in seconds; the file is in the
# page cache after the first.
best() {
  local best_s=
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best_s=$(echo "$end - $start" | bc -l | awk -v b="${best_s:-1e9}" '{ print ($1 < b) ? $1 : b }')
  done
  echo "$best_s"
}

scan=$(best "$build/bench/scan/orvane-scan" "$small")
decode=$(best "$build/tools/orvane-decode/orvane-decode" --message RMC "$small")
printf 'mmap+memchr pass (64 MiB):            %.3f s\n' "$scan"
printf 'orvane-decode --message RMC (64 MiB): %.3f s  (%.2fx)\n' "$decode" "$(echo "$decode / $scan" | bc -l)"
start=$(date +%s.%N)
"$build/tools/orvane-decode/orvane-decode" --message RMC "$small" >"$data/orvane-bench-rmc.txt"
end=$(date +%s.%N)
printf '  the same written to a file:          %.3f s\n' "$(echo "$end - $start" | bc -l)"

measure=$build/bench/measure/orvane-measure
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
cat "$large" >/dev/null  # in the page cache, as after a first load
idle=$(peak_kb "$measure" --exit-after-load)
loaded=$(peak_kb "$measure" --exit-after-load "$large")
"$measure" --exit-after-load "$large"
size_kb=$(($(stat -c %s "$large") / 1024))
printf 'viewer, 1 GiB log: peak %d KiB, idle %d KiB, above idle %.3fx the file\n' \
  "$loaded" "$idle" "$(echo "($loaded - $idle) / $size_kb" | bc -l)"
