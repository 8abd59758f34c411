#!/usr/bin/env bash
# Hotkey -> the editor's settled pixels on screen, for the real program on its
# own Xvfb (openbox, tint2, no compositor): 11 runs at 1920x1080, then 11 at
# 3840x2160 (read the medians; counters: frame mapped, first pixels).
# Usage: bench/editor_latency.sh [build dir]
# (env: ZENTU_BINARY times another build of the program; SCREENS="1920x1080x24";
# ZENTU_BENCH_REST_S=45 opens each editor after a rest long enough for the
# program to drop what the last one drew with)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
export ZENTU_BINARY="${ZENTU_BINARY:-$build/src/zentu}"
for screen in ${SCREENS:-1920x1080x24 3840x2160x24}; do
  echo "== $screen"
  ZENTU_XVFB_SCREEN="$screen" "$here/../tests/support/with-x11.sh" bash -c \
    "setxkbmap -model pc105 -layout us && exec '$build/bench/bench_editor_latency'"
done
