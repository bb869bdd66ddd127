#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the code's style, builds Orvane and runs every test, then builds
# and runs the tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
# with clang present, runs each fuzz harness briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# One style: every source as .clang-format writes it.
find decoder analysis replay settings live app tools bench tests \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2

# Fuzzing: each harness runs for a short fixed time from its saved corpus
# (about 30 s in all), when clang is present. New inputs go to a scratch
# folder; a crash stops the run and leaves its input in build-fuzz/crashes,
# to be added to tests/fuzz/corpus as a regression input.
if command -v clang++ >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANE_FUZZ=ON -DORVANE_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j2 --target fuzz_all
  mkdir -p build-fuzz/crashes
  for harness in dispatcher lineassembler logcheck config track gpsd receiverreports epochs rtcm ntrip receivercommand; do
    scratch=$(mktemp -d)
    build-fuzz/tests/fuzz/fuzz_$harness -max_total_time=5 -seed=1 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/crashes/$harness- "$scratch" tests/fuzz/corpus/$harness
    rm -rf "$scratch"
  done
fi
